// The one table from PKCS#11 return values to what a PIN hand-over means for the user.

#include <cstdio>
#include <string>

#include <openssl/err.h>

#include "dfe/platform/linux/token_environment_int.h"

namespace luvaro {

const char* const kMsgPinErrado =
    "O cartão não pode ser acessado porque o PIN errado foi apresentado.";
const char* const kMsgPinBloqueado =
    "O cartão não pode ser acessado porque o número máximo de tentativas de entrada de PIN foi "
    "atingido";

namespace {

struct CkrRow {
  unsigned long rv;
  const char* name;
  PinOutcome outcome;
};

constexpr CkrRow kCkrTable[] = {
    {CKR_OK, "CKR_OK", PinOutcome::Ok},
    {CKR_USER_ALREADY_LOGGED_IN, "CKR_USER_ALREADY_LOGGED_IN", PinOutcome::Ok},
    {CKR_PIN_INCORRECT, "CKR_PIN_INCORRECT", PinOutcome::Wrong},
    {CKR_PIN_INVALID, "CKR_PIN_INVALID", PinOutcome::Wrong},
    {CKR_PIN_LEN_RANGE, "CKR_PIN_LEN_RANGE", PinOutcome::Wrong},
    {CKR_PIN_LOCKED, "CKR_PIN_LOCKED", PinOutcome::Blocked},
    {CKR_PIN_EXPIRED, "CKR_PIN_EXPIRED", PinOutcome::Other},
    {CKR_USER_PIN_NOT_INITIALIZED, "CKR_USER_PIN_NOT_INITIALIZED", PinOutcome::Other},
    {CKR_TOKEN_NOT_PRESENT, "CKR_TOKEN_NOT_PRESENT", PinOutcome::Other},
    {CKR_TOKEN_NOT_RECOGNIZED, "CKR_TOKEN_NOT_RECOGNIZED", PinOutcome::Other},
    {CKR_DEVICE_REMOVED, "CKR_DEVICE_REMOVED", PinOutcome::Other},
    {CKR_DEVICE_ERROR, "CKR_DEVICE_ERROR", PinOutcome::Other},
    {CKR_SESSION_HANDLE_INVALID, "CKR_SESSION_HANDLE_INVALID", PinOutcome::Other},
    {CKR_USER_ANOTHER_ALREADY_LOGGED_IN, "CKR_USER_ANOTHER_ALREADY_LOGGED_IN", PinOutcome::Other},
    {CKR_USER_TOO_MANY_TYPES, "CKR_USER_TOO_MANY_TYPES", PinOutcome::Other},
    {CKR_FUNCTION_CANCELED, "CKR_FUNCTION_CANCELED", PinOutcome::Other},
    {CKR_ARGUMENTS_BAD, "CKR_ARGUMENTS_BAD", PinOutcome::Other},
    {CKR_GENERAL_ERROR, "CKR_GENERAL_ERROR", PinOutcome::Other},
    {CKR_FUNCTION_FAILED, "CKR_FUNCTION_FAILED", PinOutcome::Other},
};

const CkrRow* Find(unsigned long rv) noexcept {
  for (const CkrRow& row : kCkrTable)
    if (row.rv == rv) return &row;
  return nullptr;
}

}  // namespace

PinOutcome PinOutcomeOf(unsigned long rv) noexcept {
  const CkrRow* row = Find(rv);
  return row != nullptr ? row->outcome : PinOutcome::Other;
}

const char* CkrName(unsigned long rv) noexcept {
  const CkrRow* row = Find(rv);
  return row != nullptr ? row->name : "";
}

unsigned long LastCkr() noexcept {
  unsigned long rv = CKR_GENERAL_ERROR;
  while (const unsigned long code = ERR_get_error()) {
    if (ERR_GET_LIB(code) == ERR_get_CKR_code()) rv = ERR_GET_REASON(code);
  }
  return rv;
}

std::string MsgFalhaDefinirPin(unsigned long rv) {
  char code[16];
  std::snprintf(code, sizeof code, "%08lX", rv);
  std::string text = std::string("Falha ao Definir PIN do Certificado. Erro: ") + code;
  if (const char* name = CkrName(rv); *name != '\0') text += std::string(" (") + name + ")";
  return text;
}

}  // namespace luvaro
