#pragma once

#include <filesystem>
#include <memory>

namespace luvaro {

// The process-wide token state, made once in main() before any thread starts and destroyed
// after every worker has ended:
//  - the PKCS#11 module (the p11-kit proxy, or the module named at start-up), initialised once
//    per process because a PKCS#11 module may be initialised only once per process; it is
//    loaded on first use, so a machine without tokens starts as fast as one with them;
//  - the token login state: the PIN list (serial numbers of the certificates whose token was
//    logged in with the configured password, each followed by ","), the tokens logged in from
//    the user's prompt (they stay logged in for the rest of the process), and the PINs each
//    token rejected (never presented to that token again in this process: a token locks itself
//    after a few wrong PINs).
// One mutex (`m_mutex` inside) guards all of it; it is held while talking to the module, never
// while waiting on the user.
//
// The security facade reaches it through TDFeSSL::SetTokenEnv; the certificate-store back-end
// uses it. Tests make their own, one after the other.
class TokenEnvironment {
 public:
  // `modulePath` empty: the p11-kit proxy, which reaches every token registered on the system.
  explicit TokenEnvironment(std::filesystem::path modulePath = {});
  ~TokenEnvironment();
  TokenEnvironment(const TokenEnvironment&) = delete;  // owns the process's PKCS#11 module
  TokenEnvironment& operator=(const TokenEnvironment&) = delete;

  // The module to use, read once at start-up: LUVARO_PKCS11_MODULE when set, else empty (the
  // p11-kit proxy).
  static std::filesystem::path ModuleFromEnvironment();
  // The p11-kit proxy module file.
  static std::filesystem::path P11KitProxy();

  const std::filesystem::path& ModulePath() const;

  struct Impl;  // defined in token_environment_int.h, for the platform files only
  Impl& impl() { return *m_impl; }

 private:
  std::unique_ptr<Impl> m_impl;
};

}  // namespace luvaro
