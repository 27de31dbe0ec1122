// The store with the headless front, as a script or a server runs the program.
#include <sstream>

#include "app/headless/headless_front.h"
#include "tests/integration/token/token_test_support.h"

namespace luvaro::test {
namespace {

class HeadlessStoreTest : public TokenTest {
 protected:
  void UseHeadless(HeadlessSettings settings) {
    headless = std::make_unique<HeadlessFront>(std::move(settings), out);
    ssl->SetFront(headless.get());
  }
  std::ostringstream out;
  std::unique_ptr<HeadlessFront> headless;
};

TEST_F(HeadlessStoreTest, ChoiceByConfiguredSerial) {
  const struct {
    const char* name;
    std::optional<std::string> configured;
    std::string chosen;
  } cases[] = {
      {"serial of a certificate", token().Certificate("ecpf").serial,
       token().Certificate("ecpf").serial},
      {"serial of no certificate in the store", token().Certificate("a1").serial, ""},
      {"nothing configured, several certificates", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UseHeadless({c.configured, std::nullopt});
    EXPECT_EQ(ssl->SelecionarCertificado(), c.chosen);
    EXPECT_EQ(ssl->CertificadoLido(), !c.chosen.empty());
  }
}

// The headless PIN is the same every time it is asked: once rejected, the token never sees it
// again in this run, however many signatures are tried.
TEST_F(HeadlessStoreTest, RejectedPinNeverReachesTheTokenTwice) {
  UseHeadless({std::nullopt, SecureString("9999")});
  Load("empresa");
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(FailureOf([&] {
                ssl->CalcHash(std::string_view("x"), TSSLDgst::dgstSHA256,
                              TSSLHashOutput::outBinary, true);
              }),
              "O cartão não pode ser acessado porque o PIN errado foi apresentado. , erro: "
              "$000000A0");  // a failure while signing carries the token's CKR_PIN_INCORRECT
    // Outside a hash (the TLS client key) the text stands alone.
    EXPECT_EQ(FailureOf([&] { ssl->CertContextWinApi(); }),
              "O cartão não pode ser acessado porque o PIN errado foi apresentado.");
  }
  EXPECT_EQ(Logins(), 1);
}

TEST_F(HeadlessStoreTest, NoPinConfigured) {
  UseHeadless({std::nullopt, std::nullopt});
  Load("empresa");
  EXPECT_EQ(FailureOf([&] { ssl->CertContextWinApi(); }),
            "Falha ao Definir PIN do Certificado. Erro: 8010006E");
  EXPECT_EQ(Logins(), 0);
}

TEST_F(HeadlessStoreTest, RightPinSignsInsideTheToken) {
  UseHeadless({std::nullopt, SecureString(TestToken::kPin)});
  Load("empresa");
  const std::string data = "headless";
  const std::string signature =
      ssl->CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary, true);
  EXPECT_TRUE(
      OpensslVerifies(token().Certificate("empresa").pem, "sha256", data, signature, m_dir.path()));
  EXPECT_EQ(Logins(), 1);
}

}  // namespace
}  // namespace luvaro::test
