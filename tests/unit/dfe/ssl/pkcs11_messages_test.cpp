// The PKCS#11 return-value table: what each answer to a PIN means for the user.
#include <gtest/gtest.h>

#include "dfe/platform/linux/token_environment_int.h"

namespace luvaro {
namespace {

TEST(Pkcs11Messages, OutcomeOfEachReturnValue) {
  const struct {
    unsigned long rv;
    PinOutcome outcome;
  } cases[] = {
      {CKR_OK, PinOutcome::Ok},
      {CKR_USER_ALREADY_LOGGED_IN, PinOutcome::Ok},
      {CKR_PIN_INCORRECT, PinOutcome::Wrong},
      {CKR_PIN_INVALID, PinOutcome::Wrong},
      {CKR_PIN_LEN_RANGE, PinOutcome::Wrong},
      {CKR_PIN_LOCKED, PinOutcome::Blocked},
      {CKR_PIN_EXPIRED, PinOutcome::Other},
      {CKR_TOKEN_NOT_PRESENT, PinOutcome::Other},
      {CKR_DEVICE_ERROR, PinOutcome::Other},
      {0x80000001UL, PinOutcome::Other},  // vendor-defined
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rv);
    EXPECT_EQ(PinOutcomeOf(c.rv), c.outcome);
  }
}

TEST(Pkcs11Messages, FailureTextCarriesTheCodeInEightHexDigits) {
  EXPECT_EQ(MsgFalhaDefinirPin(CKR_DEVICE_ERROR),
            "Falha ao Definir PIN do Certificado. Erro: 00000030 (CKR_DEVICE_ERROR)");
  EXPECT_EQ(MsgFalhaDefinirPin(0x8010006EUL),
            "Falha ao Definir PIN do Certificado. Erro: 8010006E");
  EXPECT_STREQ(kMsgPinErrado,
               "O cartão não pode ser acessado porque o PIN errado foi apresentado.");
  EXPECT_STREQ(kMsgPinBloqueado,
               "O cartão não pode ser acessado porque o número máximo de tentativas de entrada de "
               "PIN foi atingido");
}

}  // namespace
}  // namespace luvaro
