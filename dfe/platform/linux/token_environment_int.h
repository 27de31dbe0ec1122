#pragma once

// Private to dfe/platform/linux: the inside of TokenEnvironment.

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include <openssl/ui.h>
#include <p11-kit-1/p11-kit/pkcs11.h>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/p11.h"
#include "dfe/secure_string.h"

namespace luvaro {

inline void DestroyUiMethod(UI_METHOD* method) noexcept {
  UI_destroy_method(method);
}
using UiMethodPtr = std::unique_ptr<UI_METHOD, CFree<&DestroyUiMethod>>;

// The PINs for keys that ask for one at every use (CKA_ALWAYS_AUTHENTICATE). libp11 does the
// context-specific login right before such a key signs, and asks for the PIN through the UI
// method of its context: ours (never the terminal), which answers with the PIN the key's token
// accepted at its login, the one the user already gave. A PIN the token refused for a key is
// never handed out again (it could lock the token). `m_mutex` guards everything here; the UI
// method runs on whichever thread signs (a worker, or the TLS handshake of a send).
class ContextPins {
 public:
  ContextPins();
  ContextPins(const ContextPins&) = delete;  // libp11 holds its address as the UI's user data
  ContextPins& operator=(const ContextPins&) = delete;

  UI_METHOD* Method() const noexcept { return m_method.get(); }

  // The token `tokenKey` accepted `pin` at its login / logged out (its PIN is wiped).
  void Accepted(const std::string& tokenKey, const SecureString& pin);
  void LoggedOut(const std::string& tokenKey) noexcept;
  // A key of that token, by the label libp11 names it with in its request.
  void KeyOf(const std::string& tokenKey, const std::string& label);
  // The token refused its PIN for a key: it is wiped and never handed out again.
  void Refused(const std::string& tokenKey);
  bool WasRefused(const std::string& tokenKey);

  // The answer to libp11's request `prompt` made on `ui`: the PIN of the one token that has a
  // key by the label the request names; nothing when no token, or more than one, does.
  std::optional<SecureString> For(UI* ui, const char* prompt);

 private:
  std::mutex m_mutex;
  std::map<std::string, SecureString> m_pins;            // by token
  std::set<std::pair<std::string, std::string>> m_keys;  // (token, key label)
  std::set<std::string> m_refused;                       // tokens
  UiMethodPtr m_method;
};

// The loaded module, shared by the environment and every certificate context that holds a
// token key (through CertContext::keepAlive), so that it outlives them.
struct Pkcs11Module {
  // Declared before the module: libp11's context uses both until it is unloaded.
  ContextPins contextPins;
  P11LoadedModule loaded;
  // The module's own function list (same library, already initialised by libp11), for what
  // libp11 does not tell: the slot's hardware flag.
  CK_FUNCTION_LIST_PTR functions = nullptr;
  DlHandle library;
};

// How a token answered a PIN.
enum class PinOutcome { Ok, Wrong, Blocked, Other };

// The CK_RV table: outcome and name of a return value (see pkcs11_messages.cpp).
PinOutcome PinOutcomeOf(unsigned long rv) noexcept;
const char* CkrName(unsigned long rv) noexcept;
// The CK_RV of the last failed libp11 call, read from the OpenSSL error queue (which is then
// cleared); CKR_GENERAL_ERROR when the queue holds no PKCS#11 code.
unsigned long LastCkr() noexcept;

// The user texts of PIN failures.
extern const char* const kMsgPinErrado;
extern const char* const kMsgPinBloqueado;
// "Falha ao Definir PIN do Certificado. Erro: " + the code in 8 hexadecimal digits (+ name).
std::string MsgFalhaDefinirPin(unsigned long rv);

struct TokenEnvironment::Impl {
  explicit Impl(std::filesystem::path path);

  // The module, loaded and its slots enumerated on first use. Throws EDFeException with the
  // library's detail.
  std::shared_ptr<Pkcs11Module> Module();

  // Whether the slot is hardware or removable (an A3 certificate); nothing when the module
  // does not tell (its function list or the slot's information cannot be read).
  std::optional<bool> SlotHardware(PKCS11_SLOT* slot);

  // The token's login state, asked from the token itself.
  bool LoggedIn(PKCS11_SLOT* slot);
  // Presents `pin` (null for a protected authentication path) unless the token rejected it
  // before; a rejection is remembered. Returns the CK_RV (CKR_OK on success,
  // CKR_PIN_INCORRECT without touching the token for a PIN rejected before).
  unsigned long Login(PKCS11_SLOT* slot, const SecureString* pin);
  void Logout(PKCS11_SLOT* slot) noexcept;

  // Keys that ask for the PIN at every use (see ContextPins): the loaded key `label` of the
  // token in `slot`; the token refused the PIN at a key's use; whether it did before.
  void KeyInUse(PKCS11_SLOT* slot, const char* label);
  void ContextPinRefused(PKCS11_SLOT* slot);
  bool ContextPinWasRefused(PKCS11_SLOT* slot);

  // The PIN list (configured passwords), membership by whole serial number.
  bool PinListContains(const std::string& serial);
  void PinListAdd(const std::string& serial);
  void PinListRemove(const std::string& serial);

  std::filesystem::path modulePath;

 private:
  std::string PinFingerprint(const std::string& tokenKey, const SecureString& pin) const;

  std::mutex m_mutex;  // guards everything below and every call into the module made here
  std::shared_ptr<Pkcs11Module> m_module;
  std::string m_pinList;
  std::set<std::string> m_rejected;  // fingerprints of rejected PINs (token + PIN, keyed HMAC)
  mutable std::once_flag m_fingerprintKeyDrawn;  // the key is drawn at the first PIN
  mutable std::array<unsigned char, 32> m_fingerprintKey{};
};

// A name for the token in a slot (label and serial number), stable within the process.
std::string TokenKey(const PKCS11_SLOT* slot);

}  // namespace luvaro
