// The WinHTTP transport under Wine against luvaro-sim's government stand-in (HTTPS on loopback,
// a client certificate of the test CA required): the request as the server received it, the
// client certificate it saw, and the failures with WinHTTP's own codes.

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <memory>

#include "dfe/platform/windows/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/http_exception.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/support/store_import.h"

namespace luvaro::test {
namespace {

constexpr const char* kEnvelope =
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
    "<consulta>ação</consulta></soap:Body></soap:Envelope>";

std::filesystem::path SimDir() {
  const char* dir = std::getenv("LUVARO_TEST_SIM");
  if (dir == nullptr || *dir == '\0') throw std::runtime_error("LUVARO_TEST_SIM is not set");
  return dir;
}

// The stand-in's address under the name its certificate carries: the server's identity is
// checked (Wine 8.0 matches no IP address entry of the certificate's alternative names).
std::string BaseUrl() {
  std::string url = ReadFile(SimDir() / "url");
  while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
  const std::string ip = "127.0.0.1";
  if (const auto at = url.find(ip); at != std::string::npos)
    url.replace(at, ip.size(), "localhost");
  return url;
}

// The test CA among the current user's trusted roots, so that WinHTTP accepts the server.
void ConfiarNaAC() {
  const std::string der = ReadFile(CertsDir() / "ca.der");
  HCERTSTORE root =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(CertAddEncodedCertificateToStore(
      root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), DWORD(der.size()),
      CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  CertCloseStore(root, 0);
}

// The folder of the last request the stand-in recorded.
std::filesystem::path UltimaRequisicao() {
  std::filesystem::path last;
  for (const auto& entry : std::filesystem::directory_iterator(SimDir() / "requests"))
    if (last.empty() || entry.path().filename() > last.filename()) last = entry.path();
  return last;
}

class WinHttpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ImportarNoMy("empresa");
    ConfiarNaAC();
  }
  static void TearDownTestSuite() { RemoverDoMy(Certificate("empresa").serial); }

  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove(SimDir() / "control", ec);
  }

  std::unique_ptr<TDFeSSL> Facade(bool comCertificado = true) {
    auto ssl = std::make_unique<TDFeSSL>();
    ssl->SetTokenEnv(&env);
    ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    ssl->SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
    ssl->SetNumeroSerie(Certificate("empresa").serial);
    ssl->SetUseCertificateHTTP(comCertificado);
    ssl->SetTimeOut(20000);
    return ssl;
  }

  TokenEnvironment env;
};

TEST_F(WinHttpTest, PostsWithTheClientCertificate) {
  auto ssl = Facade();
  std::string envelope = kEnvelope;
  const std::string url = BaseUrl() + "servicos/teste/Servico.svc?wsdl=1";
  const std::string reply = ssl->Enviar(envelope, url, "urn:acao/Consultar");
  EXPECT_NE(reply.find("Envelope"), std::string::npos) << reply;
  EXPECT_EQ(ssl->HTTPResultCode(), 200);

  const auto pasta = UltimaRequisicao();
  const std::string request = ReadFile(pasta / "request.txt");
  const std::string port = url.substr(url.rfind(':') + 1, url.find('/', 8) - url.rfind(':') - 1);
  EXPECT_NE(request.find("POST /servicos/teste/Servico.svc?wsdl=1 HTTP/1.1"), std::string::npos)
      << request;
  for (const std::string linha :
       {"Host: localhost:" + port, std::string("SOAPAction: \"urn:acao/Consultar\""),
        std::string("Content-Type: application/soap+xml; charset=utf-8"),
        std::string("Accept-Charset: utf-8"), std::string("User-Agent: Luvaro/1.0")})
    EXPECT_NE(request.find(linha), std::string::npos) << linha << "\n" << request;
  EXPECT_EQ(ReadFile(pasta / "body"), kEnvelope);
  const std::string tls = ReadFile(pasta / "tls.txt");
  EXPECT_NE(tls.find("EMPRESA TESTE LTDA"), std::string::npos) << tls;
  EXPECT_NE(tls.find(Certificate("empresa").serial), std::string::npos) << tls;
}

TEST_F(WinHttpTest, FailuresCarryWinHttpCodes) {
  const auto falha = [](TDFeSSL& ssl, const std::string& url) -> EDFeHttpException {
    std::string envelope = kEnvelope;
    try {
      ssl.Enviar(envelope, url, "acao");
    } catch (const EDFeHttpException& e) {
      return e;
    }
    ADD_FAILURE() << "no failure for " << url;
    return EDFeHttpException(0, 0, url, "");
  };

  {
    SCOPED_TRACE("a SOAP fault: the status fails, its body is dropped");
    WriteFile(SimDir() / "control", "body=soap-fault\n");
    auto ssl = Facade();
    const EDFeHttpException e = falha(*ssl, BaseUrl() + "s.svc");
    EXPECT_EQ(e.HTTPResultCode(), 500);
    EXPECT_EQ(e.Cause(), "");
    EXPECT_NE(std::string(e.what()).find("Erro HTTP: 500"), std::string::npos) << e.what();
    std::filesystem::remove(SimDir() / "control");
  }
  {
    // Wine sends an empty certificate and the server ends the handshake (12157); Windows asks
    // the program for one (12044).
    SCOPED_TRACE("no client certificate for a server that requires one");
    auto ssl = Facade(false);
    const EDFeHttpException e = falha(*ssl, BaseUrl() + "s.svc");
    EXPECT_TRUE(e.InternalErrorCode() == 12157 || e.InternalErrorCode() == 12044)
        << e.InternalErrorCode();
    EXPECT_FALSE(ssl->CertificadoLido()) << "the certificate is not loaded for the request";
  }
  {
    SCOPED_TRACE("nobody listening");
    auto ssl = Facade();
    const EDFeHttpException e = falha(*ssl, "https://127.0.0.1:1/s.svc");
    EXPECT_EQ(e.InternalErrorCode(), 12029);
    EXPECT_NE(std::string(e.what()).find("Falha no Envio da Requisição."), std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find("Erro: 12029"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace luvaro::test
