// The workers' certificate choice over the real store.
#include "dfe/config/dfe_componente.h"
#include "tests/integration/token/token_test_support.h"
#include "workers/certificado.h"

namespace luvaro::test {
namespace {

class TCertificadoTest : public TokenTest {
 protected:
  void SetUp() override {
    TokenTest::SetUp();
    componente.SSL().SetTokenEnv(env.get());
    componente.SSL().SetFront(&front);
    componente.SSL().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  }
  TDFeComponente componente;
};

TEST_F(TCertificadoTest, ChoiceIsMadeAtCreationEveryTime) {
  front.choice = token().Certificate("empresa").serial;
  TCertificado primeiro(componente);
  EXPECT_EQ(primeiro.NumeroSerie(), token().Certificate("empresa").serial);
  EXPECT_EQ(componente.SSL().NumeroSerie(), token().Certificate("empresa").serial);
  EXPECT_EQ(front.chooserTitle, "Selecione um Certificado");

  // A second run asks again and keeps nothing of the first answer.
  front.choice = token().Certificate("ecpf").serial;
  TCertificado segundo(componente);
  EXPECT_EQ(segundo.NumeroSerie(), token().Certificate("ecpf").serial);
  EXPECT_EQ(front.chooserCalls, 2);
}

TEST_F(TCertificadoTest, CancelGivesAnEmptySerial) {
  front.choice.reset();
  TCertificado certificado(componente);
  EXPECT_EQ(certificado.NumeroSerie(), "");
  EXPECT_FALSE(componente.SSL().CertificadoLido());
}

TEST_F(TCertificadoTest, StoreFailureIsRaisedFromCreation) {
  componente.SSL().SetTokenEnv(nullptr);
  EXPECT_THROW(TCertificado certificado(componente), EDFeException);
  EXPECT_EQ(front.chooserCalls, 0);
}

}  // namespace
}  // namespace luvaro::test
