#pragma once

#include <memory>
#include <string>

#include "dfe/secure_string.h"

namespace luvaro {

// The process-wide token state, made once in main() before any thread starts and destroyed
// after every worker has ended:
//  - the PIN list: serial numbers of the certificates whose PIN was handed to their provider
//    from the configured password (handed over once per process and certificate);
//  - the PINs a key's provider rejected, kept as keyed fingerprints of key container and PIN:
//    such a PIN is never handed to that key again in this process (a token locks itself after a
//    few wrong PINs).
// One mutex (inside) guards all of it; it is never held while waiting on the user.
//
// The security facade reaches it through TDFeSSL::SetTokenEnv; the certificate-store back-end
// uses it. Without one, the store still works, but no PIN is handed over from the password.
class TokenEnvironment {
 public:
  TokenEnvironment();
  ~TokenEnvironment();
  TokenEnvironment(const TokenEnvironment&) = delete;  // the process's one token state
  TokenEnvironment& operator=(const TokenEnvironment&) = delete;

  bool PinListContains(const std::string& serial) const;
  void PinListAdd(const std::string& serial);
  void PinListRemove(const std::string& serial);

  // Whether the key named `chave` rejected `pin` before, and recording that it did.
  bool PinRecusado(const std::string& chave, const SecureString& pin) const;
  void RegistrarPinRecusado(const std::string& chave, const SecureString& pin);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace luvaro
