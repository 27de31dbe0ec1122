// The process-wide PIN state of the Windows certificate store.

#include "dfe/platform/windows/token_environment.h"

#include <array>
#include <mutex>
#include <set>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/windows_int.h"

namespace luvaro {

struct TokenEnvironment::Impl {
  mutable std::mutex mutex;  // guards everything below
  std::set<std::string> pinList;
  std::set<std::string> rejected;  // HMAC-SHA256 of key name and PIN
  std::array<unsigned char, 32> fingerprintKey{};

  std::string Fingerprint(const std::string& chave, const SecureString& pin) const;
};

TokenEnvironment::TokenEnvironment() : m_impl(std::make_unique<Impl>()) {
  // A random key per process, so that the fingerprints tell nothing about the PINs.
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, m_impl->fingerprintKey.data(),
                                      static_cast<ULONG>(m_impl->fingerprintKey.size()),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    throw EDFeException("Falha ao iniciar o estado dos tokens: BCryptGenRandom");
}

TokenEnvironment::~TokenEnvironment() = default;

bool TokenEnvironment::PinListContains(const std::string& serial) const {
  std::lock_guard lock(m_impl->mutex);
  return m_impl->pinList.contains(serial);
}

void TokenEnvironment::PinListAdd(const std::string& serial) {
  std::lock_guard lock(m_impl->mutex);
  m_impl->pinList.insert(serial);
}

void TokenEnvironment::PinListRemove(const std::string& serial) {
  std::lock_guard lock(m_impl->mutex);
  m_impl->pinList.erase(serial);
}

bool TokenEnvironment::PinRecusado(const std::string& chave, const SecureString& pin) const {
  const std::string fingerprint = m_impl->Fingerprint(chave, pin);
  std::lock_guard lock(m_impl->mutex);
  return m_impl->rejected.contains(fingerprint);
}

void TokenEnvironment::RegistrarPinRecusado(const std::string& chave, const SecureString& pin) {
  std::string fingerprint = m_impl->Fingerprint(chave, pin);
  std::lock_guard lock(m_impl->mutex);
  m_impl->rejected.insert(std::move(fingerprint));
}

std::string TokenEnvironment::Impl::Fingerprint(const std::string& chave,
                                                const SecureString& pin) const {
  BCRYPT_ALG_HANDLE raw = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&raw, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                  BCRYPT_ALG_HANDLE_HMAC_FLAG)))
    throw EDFeException("Falha ao calcular a identificação do PIN: BCryptOpenAlgorithmProvider");
  const BcryptAlgPtr alg(raw);
  std::string entrada = chave;
  entrada += '\0';
  entrada += pin.str();
  const SecureString owner(entrada);  // wiped when done
  std::fill(entrada.begin(), entrada.end(), '\0');
  std::string digest(32, '\0');
  if (!BCRYPT_SUCCESS(BCryptHash(alg.get(), const_cast<PUCHAR>(fingerprintKey.data()),
                                 static_cast<ULONG>(fingerprintKey.size()),
                                 reinterpret_cast<PUCHAR>(const_cast<char*>(owner.str().data())),
                                 static_cast<ULONG>(owner.size()),
                                 reinterpret_cast<PUCHAR>(digest.data()),
                                 static_cast<ULONG>(digest.size()))))
    throw EDFeException("Falha ao calcular a identificação do PIN: BCryptHash");
  return digest;
}

}  // namespace luvaro
