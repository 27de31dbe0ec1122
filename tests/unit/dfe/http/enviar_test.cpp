// The facade's Enviar and the send thread around a back-end that answers every request with
// the base class's failure: the paths that need no server.

#include <gtest/gtest.h>

#include <mutex>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/send_thread.h"

namespace luvaro {
namespace {

constexpr const char* kNotImplemented = "Método \"Enviar\" não implementado em: TDFeSSLHttpClass";

std::string FailureOf(TDFeSSL& ssl) {
  std::string envelope = "<Envelope/>";
  try {
    ssl.Enviar(envelope, "https://127.0.0.1/servico", "");
  } catch (const EDFeException& failure) {
    return failure.what();
  }
  return "(no failure)";
}

TEST(Enviar, PassesTheBackEndsFailureOnOrWrapsItFromTheSendThread) {
  TDFeSSL ssl;
  ssl.SetUseCertificateHTTP(false);
  EXPECT_EQ(FailureOf(ssl), kNotImplemented);

  ssl.SetTimeOutPorThread(true);
  ssl.SetTimeOut(5000);
  EXPECT_EQ(FailureOf(ssl), std::string("Erro na thread de envio: ") + kNotImplemented);
}

TEST(SendThread, RefusesAMissingFacadeEnvelopeOrUrl) {
  TDFeSSL ssl;
  std::mutex section;
  struct Row {
    const char* name;
    TDFeSSL* facade;
    const char* url;
    const char* envelope;
  };
  const Row rows[] = {
      {"no facade", nullptr, "https://h/", "<e/>"},
      {"no URL", &ssl, "", "<e/>"},
      {"no envelope", &ssl, "https://h/", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      TDFeSendThread thread(row.facade, section, TSSLHttpLib::httpWinHttp, "text/xml", "", row.url,
                            row.envelope);
      ADD_FAILURE() << "started";
    } catch (const EDFeException& failure) {
      EXPECT_STREQ(failure.what(), "TDFeSendThread, parâmetros inválidos");
    }
  }
}

}  // namespace
}  // namespace luvaro
