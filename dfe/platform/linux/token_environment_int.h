#pragma once

// Private to dfe/platform/linux: the inside of TokenEnvironment.

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include <p11-kit-1/p11-kit/pkcs11.h>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/p11.h"
#include "dfe/secure_string.h"

namespace luvaro {

// The loaded module, shared by the environment and every certificate context that holds a
// token key (through CertContext::keepAlive), so that it outlives them.
struct Pkcs11Module {
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
  std::array<unsigned char, 32> m_fingerprintKey{};
};

// A name for the token in a slot (label and serial number), stable within the process.
std::string TokenKey(const PKCS11_SLOT* slot);

}  // namespace luvaro
