#pragma once

// Private to dfe/platform/windows: owners of the CryptoAPI, CNG and WinHTTP handles, text
// conversions between UTF-8 and the system's UTF-16, and error codes as the messages show them.

#include <windows.h>
#include <bcrypt.h>
#include <ncrypt.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "dfe/platform/windows/windows_text.h"
#include "dfe/raii/cfree.h"

namespace luvaro {

namespace win {

inline void FreeCertificate(PCCERT_CONTEXT context) noexcept {
  CertFreeCertificateContext(context);
}
inline void CloseStore(HCERTSTORE store) noexcept {
  CertCloseStore(store, 0);
}
inline void CloseInternet(HINTERNET handle) noexcept {
  WinHttpCloseHandle(handle);
}
inline void CloseAlgorithm(BCRYPT_ALG_HANDLE handle) noexcept {
  BCryptCloseAlgorithmProvider(handle, 0);
}
inline void DestroyBcryptHash(BCRYPT_HASH_HANDLE handle) noexcept {
  BCryptDestroyHash(handle);
}
inline void DestroyBcryptKey(BCRYPT_KEY_HANDLE handle) noexcept {
  BCryptDestroyKey(handle);
}

// A handle that is an integer (HCRYPTPROV, HCRYPTKEY, HCRYPTHASH, NCRYPT_*_HANDLE), closed by
// `Close` unless it is zero. Move-only: the handle is released exactly once.
template <class H, auto Close>
class IntHandle {
 public:
  IntHandle() noexcept = default;
  explicit IntHandle(H handle) noexcept : m_handle(handle) {}
  ~IntHandle() { reset(); }
  IntHandle(const IntHandle&) = delete;
  IntHandle& operator=(const IntHandle&) = delete;
  IntHandle(IntHandle&& other) noexcept : m_handle(other.release()) {}
  IntHandle& operator=(IntHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  H get() const noexcept { return m_handle; }
  H* put() noexcept {
    reset();
    return &m_handle;
  }
  H release() noexcept { return std::exchange(m_handle, H{}); }
  void reset(H handle = H{}) noexcept {
    if (m_handle != H{}) Close(m_handle);
    m_handle = handle;
  }
  explicit operator bool() const noexcept { return m_handle != H{}; }

 private:
  H m_handle{};
};

inline void ReleaseProvider(HCRYPTPROV handle) noexcept {
  CryptReleaseContext(handle, 0);
}
inline void DestroyKey(HCRYPTKEY handle) noexcept {
  CryptDestroyKey(handle);
}
inline void DestroyHash(HCRYPTHASH handle) noexcept {
  CryptDestroyHash(handle);
}
inline void FreeNcrypt(NCRYPT_HANDLE handle) noexcept {
  NCryptFreeObject(handle);
}

}  // namespace win

using CertPtr = std::unique_ptr<const CERT_CONTEXT, CFree<&win::FreeCertificate>>;
using CertStorePtr = std::unique_ptr<void, CFree<&win::CloseStore>>;
using InternetPtr = std::unique_ptr<void, CFree<&win::CloseInternet>>;
using BcryptAlgPtr = std::unique_ptr<void, CFree<&win::CloseAlgorithm>>;
using BcryptHashPtr = std::unique_ptr<void, CFree<&win::DestroyBcryptHash>>;
using BcryptKeyPtr = std::unique_ptr<void, CFree<&win::DestroyBcryptKey>>;
using CryptProv = win::IntHandle<HCRYPTPROV, &win::ReleaseProvider>;
using CryptKey = win::IntHandle<HCRYPTKEY, &win::DestroyKey>;
using CryptHash = win::IntHandle<HCRYPTHASH, &win::DestroyHash>;
using NcryptHandle = win::IntHandle<NCRYPT_HANDLE, &win::FreeNcrypt>;

}  // namespace luvaro
