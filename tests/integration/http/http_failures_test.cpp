// Every way a request fails, as the caller reads it: internal code (the WinHTTP code of the same
// meaning), HTTP status, URL and the cause's text.

#include <gtest/gtest.h>

#include "dfe/ssl/http_exception.h"
#include "tests/integration/http/gov_test_support.h"

namespace luvaro::test {
namespace {

struct FailureRow {
  const char* name;
  const char* faults;  // the simulator's faults for this request
  std::function<void(TDFeSSL&, std::string& url)> configure;
  int internalCode;
  int httpStatus;
  const char* cause;  // the text after the URL line
  bool reachesServer;
};

std::string WithPort(const std::string& url, int port) {
  const auto colon = url.rfind(':');
  return url.substr(0, colon + 1) + std::to_string(port) + url.substr(url.find('/', colon));
}

TEST_F(GovTest, EachFailureNamesItsCodesTheUrlAndTheCause) {
  const FailureRow rows[] = {
      {"SOAP fault with status 500: the fault text is dropped", "body=soap-fault",
       [](TDFeSSL&, std::string&) {}, 0, 500, "", true},
      {"lot too large", "status=413", [](TDFeSSL&, std::string&) {}, 0, 413, "", true},
      {"server slower than TimeOut", "delay=3000",
       [](TDFeSSL& ssl, std::string&) { ssl.SetTimeOut(500); }, 12002, 0,
       "Falha Recebendo Dados. Erro:Erro: 12002 - TimeOut de Requisição", true},
      {"connection dropped before the reply", "body=drop", [](TDFeSSL&, std::string&) {}, 12031, 0,
       "Falha Recebendo Dados. Erro:Erro: 12031 - A conexão com o servidor foi redefinida", true},
      {"connection closed in mid-reply", "close-mid-reply", [](TDFeSSL&, std::string&) {}, 12031, 0,
       "Falha Lendo dados. Erro:Erro: 12031 - A conexão com o servidor foi redefinida", true},
      {"nobody listening", "",
       [](TDFeSSL&, std::string& url) { url = WithPort(url, ClosedPort()); }, 12029, 0,
       "Falha no Envio da Requisição.\r\nErro: 12029 - Conexão com o Servidor falhou", false},
      {"proxy not listening", "",
       [](TDFeSSL& ssl, std::string&) {
         ssl.SetProxyHost("127.0.0.1");
         ssl.SetProxyPort(std::to_string(ClosedPort()));
       },
       12029, 0, "Falha no Envio da Requisição.\r\nErro: 12029 - Conexão com o Servidor falhou",
       false},
      {"SSL 3.0 pinned", "", [](TDFeSSL& ssl, std::string&) { ssl.SetSSLType(TSSLType::LT_SSLv3); },
       87, 0,
       "Falha ajustando WINHTTP_OPTION_SECURE_PROTOCOLS. Erro:Erro: 87 - SSL 3.0 não é oferecido "
       "pela biblioteca TLS deste sistema",
       false},
      {"certificate without its key", "",
       [](TDFeSSL& ssl, std::string&) {
         ssl.SetSSLCryptClass(std::make_unique<PemCryptClass>(
             ssl, TestToken::Shared().Certificate("empresa").pem, nullptr));
       },
       12185, 0,
       "Falha no Envio da Requisição.\r\nErro: 12185 - O contexto para o certificado de cliente "
       "SSL não tem uma chave privada associada a ele. O certificado de cliente pode ter sido "
       "importado para o computador sem a chave privada",
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (*row.faults != '\0') {
      Sim().SetFaults(row.faults);
    } else {
      Sim().ClearFaults();
    }
    auto ssl = MakeFacade();
    std::string url = Url();
    row.configure(*ssl, url);
    const size_t before = Sim().Requests().size();
    std::string envelope = "<Envelope/>";
    try {
      ssl->Enviar(envelope, url, "");
      ADD_FAILURE() << "no failure";
    } catch (const EDFeHttpException& failure) {
      EXPECT_EQ(std::string(failure.what()),
                "Erro Interno: " + std::to_string(row.internalCode) + "\r\nErro HTTP: " +
                    std::to_string(row.httpStatus) + "\r\nURL: " + url + "\r\n" + row.cause);
      EXPECT_EQ(failure.InternalErrorCode(), row.internalCode);
      EXPECT_EQ(failure.HTTPResultCode(), row.httpStatus);
      EXPECT_EQ(ssl->InternalErrorCode(), row.internalCode);
      EXPECT_EQ(ssl->HTTPResultCode(), row.httpStatus);
    }
    EXPECT_EQ(RequestsFrom(before).size(), row.reachesServer ? 1u : 0u);
  }
}

TEST_F(GovTest, WithoutTheCertificateTheServerRefusesTheConnection) {
  auto ssl = MakeFacade();
  ssl->SetUseCertificateHTTP(false);
  const size_t before = Sim().Requests().size();
  std::string envelope = "<Envelope/>";
  try {
    ssl->Enviar(envelope, Url(), "");
    ADD_FAILURE() << "no failure";
  } catch (const EDFeHttpException& failure) {
    EXPECT_EQ(failure.InternalErrorCode(), 12044);
    EXPECT_EQ(failure.HTTPResultCode(), 0);
  }
  EXPECT_FALSE(ssl->CertificadoLido());
  EXPECT_TRUE(RequestsFrom(before).empty());
}

TEST_F(GovTest, TheEnvironmentsProxyServesWhenNoneIsConfigured) {
  const std::string proxy = "http://127.0.0.1:" + std::to_string(ClosedPort());
  setenv("https_proxy", proxy.c_str(), 1);
  unsetenv("no_proxy");
  auto ssl = MakeFacade();
  std::string envelope = "<Envelope/>";
  const std::string failure = FailureOf([&] { ssl->Enviar(envelope, Url(), ""); });
  unsetenv("https_proxy");
  setenv("no_proxy", "*", 1);
  EXPECT_EQ(ssl->InternalErrorCode(), 12029) << failure;
}

}  // namespace
}  // namespace luvaro::test
