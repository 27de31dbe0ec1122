#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/curl.h"
#include "dfe/raii/openssl.h"
#include "dfe/ssl/cert_context_int.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/sim_process.h"
#include "tests/support/token.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro::test {

// A crypto back-end holding a certificate from outside the store, with the given key (or none).
class PemCryptClass final : public TDFeSSLCryptClass {
 public:
  PemCryptClass(TDFeSSL& owner, const std::filesystem::path& certificatePem, EvpPkeyPtr key);

  const CertContext* GetCertContextWinApi() override;
  void CarregarCertificado() override;
  void DescarregarCertificado() override;
  std::string ClassName() const override { return "PemCryptClass"; }

 private:
  CertContext m_context;
};

// A loopback port nobody listens on.
int ClosedPort();

// luvaro-sim's government role with the test token's CA and server certificate, one for the
// whole test program; each test leaves it without faults. Each test has its own token
// environment, reaching SoftHSM2 through OpenSC's logging module so that the token's
// signatures can be counted.
class GovTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static SimProcess& Sim() { return *s_sim; }
  static TestToken& Token() { return TestToken::Shared(); }
  static std::string Url(const std::string& path = "servico/envio.svc");

  // A facade set as the workers set it (certificate store, WinHTTP back-end, a short
  // time-out, the test CA in the test folder's cadeias/) whose client certificate is the
  // token's "empresa" certificate, its key on the token, the PIN given as the password.
  std::unique_ptr<TDFeSSL> MakeFacade();

  // Makes the token environment again, on `module` (the logging module by default).
  void ResetTokenEnvironment(const std::filesystem::path& module = TestToken::SpyModule());

  // How many signatures the token made since the environment was made.
  int TokenSignatures() const;

  // What the simulator recorded from the `first`-th request on (counting from 0).
  static std::vector<RecordedRequest> RequestsFrom(size_t first);

  TempDir m_dir{"luvaro-http-test"};
  std::unique_ptr<TokenEnvironment> m_tokenEnv;  // outlives the test's facades

 private:
  static inline std::unique_ptr<CurlGlobal> s_curl;
  static inline std::unique_ptr<SimProcess> s_sim;
};

}  // namespace luvaro::test
