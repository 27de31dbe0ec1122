#pragma once

#include <memory>

namespace luvaro {

class TokenEnvironment;

// The process-wide state of this platform's security and HTTP libraries, made in main() before
// any thread starts and destroyed after the last one has stopped: on Linux libcurl's global
// initialisation and the PKCS#11 module (LUVARO_PKCS11_MODULE, else the p11-kit proxy, loaded
// on first use) with the token login state; on Windows the token state of the CryptoAPI store.
class AmbientePlataforma {
 public:
  AmbientePlataforma();
  ~AmbientePlataforma();
  AmbientePlataforma(const AmbientePlataforma&) = delete;  // one per process
  AmbientePlataforma& operator=(const AmbientePlataforma&) = delete;

  TokenEnvironment& Tokens();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace luvaro
