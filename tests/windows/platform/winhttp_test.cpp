// The WinHTTP transport under Wine against luvaro-sim's government stand-in (HTTPS on loopback,
// a client certificate of the test CA required): the request as the server received it, the
// client certificate it saw, and the failures with WinHTTP's own codes.

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "dfe/platform/windows/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/http_exception.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/support/sims.h"
#include "tests/windows/support/store_import.h"

namespace luvaro::test {
namespace {

constexpr const char* kEnvelope =
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
    "<consulta>ação</consulta></soap:Body></soap:Envelope>";

std::filesystem::path SimDir() {
  return test::SimDir("gov");
}

std::string BaseUrl() {
  return SimUrl("gov");
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
  const auto pastas = SimRequests("gov");
  return pastas.empty() ? std::filesystem::path() : pastas.back();
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
  for (const std::string& linha :
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

// The server's identity against the application folder's cadeias/: the stand-in presents a
// certificate of an authority that no Windows store here trusts (the test CA of the other tests
// is among the trusted roots, so it could not show what cadeias/ adds).
struct LinhaIdentidade {
  const char* nome;
  std::vector<std::pair<std::string, std::string>> cadeias;  // file name, contents
  bool verificar;
  int codigo;          // 0: accepted
  std::string causa;   // the failure's cause
};

TEST_F(WinHttpTest, ServerIdentityAgainstTheAuthoritiesOfCadeias) {
  const std::string ac = ReadFile(CertsDir() / "ac-cadeias.pem");
  const std::string outra = ReadFile(CertsDir() / "ca.pem");
  const std::string inicio = "Não foi possível confirmar a identidade do servidor localhost: ";
  const std::string naoConfiavel =
      inicio + "o certificado do servidor não foi emitido por uma autoridade confiável.";
  const LinhaIdentidade linhas[] = {
      {"its authority in cadeias/", {{"ac.PEM", ac}, {"LEIA-ME.txt", "não é lido"}}, true, 0, ""},
      {"another authority in cadeias/", {{"outra.pem", outra}}, true, 12045, naoConfiavel},
      // WinHTTP's own check refuses it, in the same words.
      {"cadeias/ empty", {}, true, 12045, naoConfiavel},
      {"a file of cadeias/ that holds no certificate",
       {{"ac.pem", ac}, {"quebrado.pem", "-----BEGIN CERTIFICATE-----\nnão é base64\n"}},
       true,
       12169,
       inicio + "não foi possível ler as autoridades confiáveis da pasta cadeias (quebrado.pem: "
                "bloco de certificado sem o seu fim)."},
      {"the check off", {{"outra.pem", outra}}, false, 0, ""},
  };
  const std::string url = SimUrl("gov_cadeias") + "servico/envio.svc";
  for (const LinhaIdentidade& linha : linhas) {
    SCOPED_TRACE(linha.nome);
    TempDir pasta("luvaro-cadeias");
    const auto cadeias = pasta / "cadeias";
    std::filesystem::create_directories(cadeias);
    for (const auto& [nome, conteudo] : linha.cadeias) WriteFile(cadeias / nome, conteudo);
    auto ssl = Facade();
    ssl->SetPastaCadeias(cadeias);
    ssl->SetVerificarServidor(linha.verificar);
    std::vector<std::string> avisos;
    ssl->SetOnAviso([&avisos](const std::string& aviso) { avisos.push_back(aviso); });
    const std::size_t antes = SimRequests("gov_cadeias").size();

    std::string envelope = kEnvelope;
    if (linha.codigo == 0) {
      EXPECT_NE(ssl->Enviar(envelope, url, "acao").find("Envelope"), std::string::npos);
      const auto depois = SimRequests("gov_cadeias");
      ASSERT_EQ(depois.size(), antes + 1);
      EXPECT_EQ(ReadFile(depois.back() / "body"), kEnvelope);
    } else {
      try {
        ssl->Enviar(envelope, url, "acao");
        ADD_FAILURE() << "accepted";
      } catch (const EDFeHttpException& e) {
        EXPECT_EQ(e.InternalErrorCode(), linha.codigo);
        EXPECT_EQ(e.Cause(), linha.causa);
      }
      // Nothing of the request reached the stand-in's record.
      EXPECT_EQ(SimRequests("gov_cadeias").size(), antes);
    }
    EXPECT_EQ(avisos, linha.verificar ? std::vector<std::string>{}
                                      : std::vector<std::string>{
                                            "ATENÇÃO: identidade do servidor localhost não "
                                            "verificada."});
  }
}

}  // namespace
}  // namespace luvaro::test
