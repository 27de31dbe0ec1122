#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "dfe/raii/curl.h"
#include "dfe/raii/openssl.h"
#include "dfe/ssl/cert_context_int.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/sim_process.h"
#include "tests/support/token.h"

namespace luvaro::test {

// A crypto back-end holding one certificate and key from outside the store: a PEM pair of the
// test token's fixtures, or a key made by the test.
class PemCryptClass final : public TDFeSSLCryptClass {
 public:
  PemCryptClass(TDFeSSL& owner, const std::filesystem::path& certificatePem, EvpPkeyPtr key,
                std::shared_ptr<void> keepAlive = {});

  const CertContext* GetCertContextWinApi() override;
  void CarregarCertificado() override;
  void DescarregarCertificado() override;
  std::string ClassName() const override { return "PemCryptClass"; }

 private:
  std::shared_ptr<void> m_keepAlive;  // before the context: outlives its key
  CertContext m_context;
};

// The private key of a PEM file.
EvpPkeyPtr ReadKey(const std::filesystem::path& keyPem);

// A key with the public half of `certificatePem` whose every signature fails, as a token key
// does once its object is gone from the token. `keepAlive` holds what the key needs.
EvpPkeyPtr FailingKey(const std::filesystem::path& certificatePem,
                      std::shared_ptr<void>& keepAlive);

// A loopback port nobody listens on.
int ClosedPort();

// The text of the EDFeException that `call` throws; a test failure when it returns.
std::string FailureOf(const std::function<void()>& call);

// luvaro-sim's government role with the test token's CA and server certificate, one for the
// whole test program; each test leaves it without faults.
class GovTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void TearDown() override;

  static SimProcess& Sim() { return *s_sim; }
  static TestToken& Token() { return TestToken::Shared(); }
  static std::string Url(const std::string& path = "servico/envio.svc");

  // A facade set as the workers set it (WinHTTP back-end, a short time-out) whose client
  // certificate is the token's "empresa" certificate with its key.
  static std::unique_ptr<TDFeSSL> MakeFacade();

  // What the simulator recorded from the `first`-th request on (counting from 0).
  static std::vector<RecordedRequest> RequestsFrom(size_t first);

 private:
  static inline std::unique_ptr<CurlGlobal> s_curl;
  static inline std::unique_ptr<SimProcess> s_sim;
};

}  // namespace luvaro::test
