#include "dfe/platform/linux/token_environment.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <openssl/err.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "dfe/dfe_exception.h"
#include "dfe/platform/linux/token_environment_int.h"
#include "dfe/raii/openssl.h"

namespace luvaro {

// --- ContextPins

namespace {

// libp11's request for the PIN of a key that asks for it at every use. No exception crosses
// libp11's frame, and without an answer of ours no PIN goes out.
int LerPinDaChave(UI* ui, UI_STRING* uis) noexcept {
  const UI_string_types type = UI_get_string_type(uis);
  if (type != UIT_PROMPT && type != UIT_VERIFY) return 1;
  try {
    auto* pins = static_cast<ContextPins*>(UI_get0_user_data(ui));
    if (pins == nullptr) return -1;
    const std::optional<SecureString> pin = pins->For(ui, UI_get0_output_string(uis));
    if (!pin) return -1;
    return UI_set_result(ui, uis, pin->str().c_str()) >= 0 ? 1 : -1;
  } catch (const std::exception&) {
    return -1;
  }
}

// What libp11 names a key's PIN in its request (UI_construct_prompt's description).
constexpr const char* kPedidoLibp11 = "PKCS#11 key PIN";

}  // namespace

ContextPins::ContextPins() : m_method(UI_create_method("Luvaro: PIN das chaves")) {
  if (!m_method || UI_method_set_reader(m_method.get(), &LerPinDaChave) != 0)
    throw EDFeException("Falha ao preparar o pedido de PIN das chaves: " + OpenSslErrors());
}

void ContextPins::Accepted(const std::string& tokenKey, const SecureString& pin) {
  std::lock_guard lock(m_mutex);
  m_pins[tokenKey] = pin;
}

void ContextPins::LoggedOut(const std::string& tokenKey) noexcept {
  std::lock_guard lock(m_mutex);
  m_pins.erase(tokenKey);  // SecureString wipes itself
}

void ContextPins::KeyOf(const std::string& tokenKey, const std::string& label) {
  std::lock_guard lock(m_mutex);
  m_keys.emplace(tokenKey, label);
}

void ContextPins::Refused(const std::string& tokenKey) {
  std::lock_guard lock(m_mutex);
  m_pins.erase(tokenKey);
  m_refused.insert(tokenKey);
}

bool ContextPins::WasRefused(const std::string& tokenKey) {
  std::lock_guard lock(m_mutex);
  return m_refused.contains(tokenKey);
}

std::optional<SecureString> ContextPins::For(UI* ui, const char* prompt) {
  if (prompt == nullptr) return std::nullopt;
  std::lock_guard lock(m_mutex);
  const std::string* token = nullptr;
  for (const auto& [tokenKey, label] : m_keys) {
    if (m_refused.contains(tokenKey) || !m_pins.contains(tokenKey)) continue;
    char* esperado =
        UI_construct_prompt(ui, kPedidoLibp11, label.empty() ? nullptr : label.c_str());
    const bool mesmo = esperado != nullptr && std::strcmp(esperado, prompt) == 0;
    OPENSSL_free(esperado);
    if (!mesmo) continue;
    if (token != nullptr && *token != tokenKey) return std::nullopt;  // whose key, then?
    token = &tokenKey;
  }
  if (token == nullptr) return std::nullopt;
  return m_pins.at(*token);
}

// --- TokenEnvironment

TokenEnvironment::TokenEnvironment(std::filesystem::path modulePath)
    : m_impl(std::make_unique<Impl>(modulePath.empty() ? P11KitProxy() : std::move(modulePath))) {}

TokenEnvironment::~TokenEnvironment() = default;

std::filesystem::path TokenEnvironment::ModuleFromEnvironment() {
  const char* value = std::getenv("LUVARO_PKCS11_MODULE");
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path TokenEnvironment::P11KitProxy() {
  for (const char* candidate :
       {"/usr/lib/x86_64-linux-gnu/p11-kit-proxy.so", "/usr/lib/aarch64-linux-gnu/p11-kit-proxy.so",
        "/usr/lib64/p11-kit-proxy.so", "/usr/lib/p11-kit-proxy.so"}) {
    std::error_code error;
    if (std::filesystem::exists(candidate, error)) return candidate;
  }
  return "p11-kit-proxy.so";  // left to the dynamic loader's search path
}

const std::filesystem::path& TokenEnvironment::ModulePath() const {
  return m_impl->modulePath;
}

// --- Impl

TokenEnvironment::Impl::Impl(std::filesystem::path path) : modulePath(std::move(path)) {}

std::shared_ptr<Pkcs11Module> TokenEnvironment::Impl::Module() {
  std::lock_guard lock(m_mutex);
  if (m_module) return m_module;

  auto module = std::make_shared<Pkcs11Module>();
  P11CtxPtr ctx(PKCS11_CTX_new());
  if (!ctx) throw EDFeException("PKCS11_CTX_new: " + OpenSslErrors());
  // libp11 never asks anyone but us for a PIN (by default it would ask on the terminal).
  PKCS11_set_ui_method(ctx.get(), module->contextPins.Method(), &module->contextPins);
  ERR_clear_error();
  if (PKCS11_CTX_load(ctx.get(), modulePath.c_str()) != 0)
    throw EDFeException("Falha ao carregar o módulo PKCS#11 " + modulePath.string() + ": " +
                        OpenSslErrors());
  module->loaded.Adopt(std::move(ctx));
  if (module->loaded.EnumerateSlots() != 0)
    throw EDFeException("Falha ao listar os leitores do módulo PKCS#11 " + modulePath.string() +
                        ": " + OpenSslErrors());

  // The same library once more (the loader only counts a reference) for its function list.
  module->library.reset(dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (module->library) {
    using GetFunctionList = CK_RV (*)(CK_FUNCTION_LIST_PTR_PTR);
    auto get = reinterpret_cast<GetFunctionList>(dlsym(module->library.get(), "C_GetFunctionList"));
    if (get == nullptr || get(&module->functions) != CKR_OK) module->functions = nullptr;
  }
  m_module = module;
  return m_module;
}

std::optional<bool> TokenEnvironment::Impl::SlotHardware(PKCS11_SLOT* slot) {
  if (slot->removable) return true;
  std::lock_guard lock(m_mutex);
  if (m_module == nullptr || m_module->functions == nullptr) return std::nullopt;
  CK_SLOT_INFO info{};
  if (m_module->functions->C_GetSlotInfo(PKCS11_get_slotid_from_slot(slot), &info) != CKR_OK)
    return std::nullopt;
  return (info.flags & (CKF_HW_SLOT | CKF_REMOVABLE_DEVICE)) != 0;
}

bool TokenEnvironment::Impl::LoggedIn(PKCS11_SLOT* slot) {
  std::lock_guard lock(m_mutex);
  int logged = 0;
  if (PKCS11_is_logged_in(slot, 0, &logged) != 0) {
    ERR_clear_error();
    return false;
  }
  return logged != 0;
}

unsigned long TokenEnvironment::Impl::Login(PKCS11_SLOT* slot, const SecureString* pin) {
  const std::string fingerprint = pin != nullptr ? PinFingerprint(TokenKey(slot), *pin) : "";
  std::lock_guard lock(m_mutex);
  if (!fingerprint.empty() && m_rejected.contains(fingerprint)) return CKR_PIN_INCORRECT;

  ERR_clear_error();
  PKCS11_open_session(slot, 0);
  const int result = PKCS11_login(slot, 0, pin != nullptr ? pin->str().c_str() : nullptr);
  const unsigned long rv = result == 0 ? CKR_OK : LastCkr();
  if (!fingerprint.empty() && PinOutcomeOf(rv) == PinOutcome::Wrong) m_rejected.insert(fingerprint);
  if (pin != nullptr && PinOutcomeOf(rv) == PinOutcome::Ok && m_module)
    m_module->contextPins.Accepted(TokenKey(slot), *pin);
  return rv;
}

void TokenEnvironment::Impl::Logout(PKCS11_SLOT* slot) noexcept {
  std::lock_guard lock(m_mutex);
  PKCS11_logout(slot);
  ERR_clear_error();
  if (m_module) m_module->contextPins.LoggedOut(TokenKey(slot));
}

void TokenEnvironment::Impl::KeyInUse(PKCS11_SLOT* slot, const char* label) {
  std::lock_guard lock(m_mutex);
  if (m_module) m_module->contextPins.KeyOf(TokenKey(slot), label != nullptr ? label : "");
}

void TokenEnvironment::Impl::ContextPinRefused(PKCS11_SLOT* slot) {
  std::lock_guard lock(m_mutex);
  if (m_module) m_module->contextPins.Refused(TokenKey(slot));
}

bool TokenEnvironment::Impl::ContextPinWasRefused(PKCS11_SLOT* slot) {
  std::lock_guard lock(m_mutex);
  return m_module && m_module->contextPins.WasRefused(TokenKey(slot));
}

bool TokenEnvironment::Impl::PinListContains(const std::string& serial) {
  std::lock_guard lock(m_mutex);
  const std::string entry = serial + ",";
  for (std::size_t at = m_pinList.find(entry); at != std::string::npos;
       at = m_pinList.find(entry, at + 1))
    if (at == 0 || m_pinList[at - 1] == ',') return true;
  return false;
}

void TokenEnvironment::Impl::PinListAdd(const std::string& serial) {
  if (PinListContains(serial)) return;
  std::lock_guard lock(m_mutex);
  m_pinList += serial + ",";
}

void TokenEnvironment::Impl::PinListRemove(const std::string& serial) {
  std::lock_guard lock(m_mutex);
  std::string kept;
  std::size_t start = 0;
  while (start < m_pinList.size()) {
    const std::size_t comma = m_pinList.find(',', start);
    const std::string item = m_pinList.substr(start, comma - start);
    if (item != serial) kept += item + ",";
    start = comma + 1;
  }
  m_pinList = std::move(kept);
}

std::string TokenEnvironment::Impl::PinFingerprint(const std::string& tokenKey,
                                                   const SecureString& pin) const {
  std::string input = tokenKey;
  input += '\0';
  input += pin.str();
  // The key is drawn at the first PIN, not at start-up: the first draw sets up OpenSSL's random
  // generator, a millisecond that a run which never logs in should not pay before its first
  // request.
  std::call_once(m_fingerprintKeyDrawn, [this] {
    if (RAND_bytes(m_fingerprintKey.data(), static_cast<int>(m_fingerprintKey.size())) != 1)
      throw EDFeException("Falha ao preparar o ambiente de tokens: " + OpenSslErrors());
  });
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), m_fingerprintKey.data(), static_cast<int>(m_fingerprintKey.size()),
       reinterpret_cast<const unsigned char*>(input.data()), input.size(), digest, &length);
  volatile char* p = input.data();
  for (std::size_t i = 0; i < input.size(); ++i) p[i] = 0;
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string TokenKey(const PKCS11_SLOT* slot) {
  if (slot->token == nullptr) return {};
  std::string key = slot->token->label != nullptr ? slot->token->label : "";
  key += '/';
  if (slot->token->serialnr != nullptr) key += slot->token->serialnr;
  return key;
}

}  // namespace luvaro
