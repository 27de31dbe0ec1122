// The PIN: asked once per process, configured passwords logged in at loading and withdrawn at
// unloading, and a rejected PIN never presented to the token again.
#include "tests/integration/token/token_test_support.h"

namespace luvaro::test {
namespace {

const std::string kPin(TestToken::kPin);
const char* const kPinErrado =
    "O cartão não pode ser acessado porque o PIN errado foi apresentado.";
// A failure while hashing or signing carries the token's return value: CKR_PIN_INCORRECT.
const std::string kPinErradoAoAssinar = kPinErrado + std::string(" , erro: $000000A0");

using PinTest = TokenTest;

std::string Sign(TDFeSSL& ssl, const std::string& data) {
  return ssl.CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary,
                      true);
}

TEST_F(PinTest, PromptedPinIsAskedOnceForManySignatures) {
  front.pins = {kPin};
  Load("empresa");
  EXPECT_EQ(Logins(), 0) << "no PIN is needed to load";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Sign(*ssl, "documento " + std::to_string(i)).size(), 256u);
  ASSERT_EQ(front.pinRequests.size(), 1u);
  EXPECT_EQ(front.pinRequests[0].tokenLabel, TestToken::kLabel);
  EXPECT_EQ(front.pinRequests[0].certificateName, "EMPRESA TESTE LTDA");
  EXPECT_EQ(Logins(), 1);

  // The token stays logged in for the process: unloading and loading another certificate of it
  // asks nothing.
  ssl->DescarregarCertificado();
  Load("san");
  Sign(*ssl, "outro documento");
  EXPECT_EQ(front.pinRequests.size(), 1u);
  EXPECT_EQ(Logins(), 1);
}

TEST_F(PinTest, NoPinAnswerFailsWithoutTouchingTheToken) {
  front.pins = {std::nullopt};
  Load("empresa");
  EXPECT_THROW(Sign(*ssl, "x"), EDFeExceptionPIN);
  EXPECT_EQ(Logins(), 0);
  front.pins = {std::nullopt};
  EXPECT_EQ(FailureOf([&] { Sign(*ssl, "x"); }),
            "Falha ao Definir PIN do Certificado. Erro: 8010006E , erro: $8010006E");
}

TEST_F(PinTest, PromptedWrongPinIsNeverPresentedAgain) {
  front.pins = {"9999", "9999", "9999", kPin};
  Load("empresa");
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(FailureOf([&] { Sign(*ssl, "x"); }), kPinErradoAoAssinar);
  }
  EXPECT_EQ(Logins(), 1) << "the rejected PIN reached the token once";
  EXPECT_EQ(front.pinRequests.size(), 3u) << "the user is asked each time";

  // Another PIN typed by the user is handed over.
  EXPECT_EQ(Sign(*ssl, "x").size(), 256u);
  EXPECT_EQ(Logins(), 2);
}

TEST_F(PinTest, ConfiguredWrongPinClearsSenhaAndIsNeverPresentedAgain) {
  ssl->SetSenha("9999");
  EXPECT_THROW(Load("empresa"), EDFeExceptionPIN);
  EXPECT_EQ(ssl->Senha(), "");
  EXPECT_FALSE(ssl->CertificadoLido());
  EXPECT_EQ(Logins(), 1);

  // The same password set again (a configuration applied twice) fails at once.
  ssl->SetSenha("9999");
  EXPECT_EQ(FailureOf([&] { Load("empresa"); }), kPinErrado);
  EXPECT_EQ(ssl->Senha(), "");
  EXPECT_EQ(Logins(), 1);

  // With Senha cleared, loading works and the key asks the front on first use.
  front.pins = {kPin};
  Load("empresa");
  EXPECT_EQ(Sign(*ssl, "x").size(), 256u);
  EXPECT_EQ(Logins(), 2);
}

TEST_F(PinTest, ConfiguredPinLogsInAtLoadingAndOutAtUnloading) {
  ssl->SetSenha(kPin);
  Load("empresa");
  EXPECT_EQ(Logins(), 1);
  ssl->CarregarCertificado();  // loaded again: already in the PIN list
  EXPECT_EQ(Logins(), 1);
  Sign(*ssl, "x");
  EXPECT_TRUE(front.pinRequests.empty());

  ssl->DescarregarCertificado();
  Load("empresa");
  EXPECT_EQ(Logins(), 2) << "after unloading, the next load logs in again";
  Sign(*ssl, "y");
  EXPECT_EQ(Logins(), 2);
  EXPECT_TRUE(front.pinRequests.empty());
}

TEST_F(PinTest, WrongPinOfOneTokenSessionDoesNotLeakIntoTheNextProcessState) {
  // A fresh environment (a new process, as far as the token is concerned) may try again.
  ssl->SetSenha("9999");
  EXPECT_THROW(Load("empresa"), EDFeExceptionPIN);
  UseModule(TestToken::SpyModule());
  ssl->SetSenha(kPin);
  EXPECT_NO_THROW(Load("empresa"));
}

}  // namespace
}  // namespace luvaro::test
