// The reinf role of luvaro-sim as the program meets it: HTTPS on loopback with a client
// certificate from the test CA, events signed by the xmlsec1 tool with the token's company key,
// the lot reply with its R-5001s, the consolidated query of the closing, what the simulator
// recorded, and the ways a run can refuse or fail.
#include <curl/curl.h>

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/soap_post.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

constexpr std::string_view kEnviar =
    "http://sped.fazenda.gov.br/RecepcaoLoteReinf/ReceberLoteEventos";
constexpr std::string_view kConsolidada =
    "http://sped.fazenda.gov.br/ConsultasReinf/ConsultaInformacoesConsolidadas";
constexpr std::string_view kPathRecepcao = "WsREINF/RecepcaoLoteReinf.svc";
constexpr std::string_view kPathConsultas = "WsREINFConsultas/ConsultasReinf.svc";
constexpr std::string_view kIdR2010 = "ID1123456780000002024040110300000011";
constexpr std::string_view kIdR2099 = "ID1123456780000002024040110300000099";
constexpr std::string_view kEnvelopeInicio =
    "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
    "xmlns:v1=\"http://sped.fazenda.gov.br/\"><soap:Body>";

using Reply = SoapReply;

Reply Post(const std::string& url, std::string_view action, const std::string& body,
           std::string_view certificate = "empresa") {
  return PostSoap(url, action, body, certificate);
}

// The text between the first start tag of `element` (with or without attributes) and its end tag.
std::string Interior(const std::string& text, const std::string& element, std::size_t from = 0) {
  const auto start = text.find("<" + element, from);
  if (start == std::string::npos) return {};
  const auto open = text.find('>', start) + 1;
  const std::string name = element.substr(0, element.find(' '));
  return text.substr(open, text.find("</" + name + ">", open) - open);
}

std::string EnvelopeLote(const std::vector<std::pair<std::string, std::string>>& eventos) {
  std::string lote =
      "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_04_00\">"
      "<loteEventos>";
  for (const auto& [id, evento] : eventos)
    lote += "<evento id=\"" + id + "\"> " + evento + "</evento>";
  lote += "</loteEventos></Reinf>";
  return std::string(kEnvelopeInicio) + "<v1:ReceberLoteEventos><v1:loteEventos>" + lote +
         "</v1:loteEventos></v1:ReceberLoteEventos></soap:Body></soap:Envelope>";
}

std::string EnvelopeConsolidada(const std::string& protocolo) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + std::string(kEnvelopeInicio) +
         "<v1:ConsultaInformacoesConsolidadas><v1:tipoInscricaoContribuinte>1"
         "</v1:tipoInscricaoContribuinte><v1:numeroInscricaoContribuinte>12345678"
         "</v1:numeroInscricaoContribuinte><v1:numeroProtocoloFechamento>" +
         protocolo +
         "</v1:numeroProtocoloFechamento></v1:ConsultaInformacoesConsolidadas></soap:Body>"
         "</soap:Envelope>";
}

class ReinfRoleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  static void TearDownTestSuite() { curl_global_cleanup(); }

  void SetUp() override {
    CopySchemas(m_dir / "schemas");
    TestToken& token = TestToken::Shared();
    ProcessOptions options;
    options.args = {"reinf",
                    "--cert",
                    token.ServerPem().string(),
                    "--key",
                    token.ServerKeyPem().string(),
                    "--client-ca",
                    token.CaPem().string(),
                    "--signer-ca",
                    token.CaPem().string(),
                    "--schemas",
                    (m_dir / "schemas").string(),
                    "--output",
                    (m_dir / "saida").string(),
                    "--control",
                    (m_dir / "controle").string()};
    m_sim = std::make_unique<BackgroundProcess>(LUVARO_SIM_PATH, options);
    m_base = m_sim->ReadLine();
    ASSERT_TRUE(m_base.starts_with("https://127.0.0.1:")) << m_base;
  }

  void TearDown() override { EXPECT_EQ(m_sim->Terminate(), 0) << m_sim->StdErr(); }

  // The fixture event signed by the xmlsec1 tool over "#" + its id, with the key and certificate
  // given (PEM files).
  std::string Signed(const std::string& fixture, const fs::path& key, const fs::path& cert) {
    const fs::path fixtures = fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "sim" / "reinf";
    std::string modelo = ReadFile(fixtures / fixture);
    std::string assinatura = ReadFile(fixtures / "assinatura-modelo.xml");
    while (assinatura.back() == '\n') assinatura.pop_back();
    const auto at = modelo.find(" id=\"") + 5;
    const std::string id = modelo.substr(at, modelo.find('"', at) - at);
    const std::string elemento =
        modelo.substr(modelo.rfind('<', at) + 1, at - 5 - modelo.rfind('<', at) - 1);
    assinatura.replace(assinatura.find("#ID\""), 4, "#" + id + "\"");
    modelo.replace(modelo.find("<!--ASSINATURA-->"), 17, assinatura);
    WriteFile(m_dir / "modelo.xml", modelo);
    ProcessOptions sign;
    sign.args = {"--sign",
                 "--privkey-pem",
                 key.string() + "," + cert.string(),
                 "--id-attr:id",
                 elemento,
                 "--output",
                 (m_dir / "assinado.xml").string(),
                 (m_dir / "modelo.xml").string()};
    const ProcessResult result = RunProcess("/usr/bin/xmlsec1", sign);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::string signedText = ReadFile(m_dir / "assinado.xml");
    signedText.erase(0, signedText.find("?>") + 2);
    while (signedText.front() == '\n') signedText.erase(0, 1);
    while (signedText.back() == '\n') signedText.pop_back();
    return signedText;
  }

  std::string SignedByCompany(const std::string& fixture) {
    const TokenCertificate& empresa = TestToken::Shared().Certificate("empresa");
    return Signed(fixture, empresa.keyPem, empresa.pem);
  }

  // The signature directly below the root of a document the service signed, checked with the
  // xmlsec1 tool against the test CA that issued the server's certificate.
  void ExpectSignedByService(const std::string& documento, const std::string& name) {
    WriteFile(m_dir / (name + ".xml"), documento);
    ProcessOptions verify;
    verify.args = {"--verify",
                   "--trusted-pem",
                   TestToken::Shared().CaPem().string(),
                   "--id-attr:id",
                   "retornoLoteEventos",
                   "--id-attr:id",
                   "evtTotal",
                   "--id-attr:id",
                   "evtTotalContrib",
                   "--node-xpath",
                   "/*/*[local-name()='Signature']",
                   (m_dir / (name + ".xml")).string()};
    const ProcessResult verified = RunProcess("/usr/bin/xmlsec1", verify);
    EXPECT_EQ(verified.exitCode, 0) << name << ": " << verified.err;
  }

  TempDir m_dir{"luvaro-reinf-role"};
  std::unique_ptr<BackgroundProcess> m_sim;
  std::string m_base;
};

TEST_F(ReinfRoleTest, LotOverTlsIsAnsweredRecordedAndItsClosingQueried) {
  const std::string envio =
      EnvelopeLote({{std::string(kIdR2010), SignedByCompany("r2010-tomador.xml")},
                    {std::string(kIdR2099), SignedByCompany("r2099-fechamento.xml")}});
  const Reply recebido = Post(m_base + std::string(kPathRecepcao), kEnviar, envio);
  ASSERT_EQ(recebido.status, 200) << recebido.body;
  EXPECT_EQ(Interior(recebido.body, "cdStatus"), "0") << recebido.body;
  // The transmitter is the holder of the client certificate.
  EXPECT_EQ(Interior(recebido.body, "IdTransmissor"), "12345678000195");
  ExpectSignedByService(Interior(recebido.body, "ReceberLoteEventosResult"), "retorno-lote");

  const std::string r2010 = Interior(recebido.body, "evento id=\"" + std::string(kIdR2010) + "\"");
  const std::string r2099 = Interior(recebido.body, "evento id=\"" + std::string(kIdR2099) + "\"");
  ExpectSignedByService(r2010, "r5001-2010");
  ExpectSignedByService(r2099, "r5001-2099");
  EXPECT_EQ(Interior(r2010, "cdRetorno"), "0") << r2010;
  EXPECT_EQ(Interior(r2099, "cdRetorno"), "0") << r2099;
  const std::string protocolo = Interior(r2099, "nrProtEntr");
  ASSERT_EQ(protocolo.size(), 49u) << r2099;

  const std::string consulta = EnvelopeConsolidada(protocolo);
  const Reply consolidado = Post(m_base + std::string(kPathConsultas), kConsolidada, consulta);
  ASSERT_EQ(consolidado.status, 200) << consolidado.body;
  const std::string r5011 = Interior(consolidado.body, "ConsultaInformacoesConsolidadasResult");
  ExpectSignedByService(r5011, "r5011");
  EXPECT_EQ(Interior(r5011, "nrProtEntr"), protocolo);
  EXPECT_EQ(Interior(r5011, "indExistInfo"), "1");
  EXPECT_EQ(Interior(r5011, "vlrTotalBaseRet"), "10000,00") << r5011;

  // Each request folder holds the request as received, the client certificate and the reply.
  struct Expected {
    std::string folder;
    const std::string* request;
    const Reply* reply;
  };
  for (const Expected& e : {Expected{"0001-POST-EnviarLoteEventos", &envio, &recebido},
                            Expected{"0002-POST-ConsultarLoteEventos", &consulta, &consolidado}}) {
    SCOPED_TRACE(e.folder);
    const fs::path folder = m_dir / "saida" / e.folder;
    EXPECT_EQ(ReadFile(folder / "body"), *e.request);
    EXPECT_NE(ReadFile(folder / "tls.txt").find("EMPRESA TESTE LTDA"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "reply-body"), e.reply->body);
    EXPECT_EQ(ReadFile(folder / "reply.txt"),
              "status: 200\ncontent-type: text/xml; charset=utf-8\n");
  }
}

TEST_F(ReinfRoleTest, RefusalsAndFaultsOfARun) {
  // A key and certificate that the test CA did not issue.
  const fs::path key = m_dir / "outra-chave.pem";
  const fs::path cert = m_dir / "outro-certificado.pem";
  ProcessOptions req;
  req.args = {"req",
              "-x509",
              "-newkey",
              "rsa:2048",
              "-nodes",
              "-keyout",
              key.string(),
              "-out",
              cert.string(),
              "-days",
              "2",
              "-subj",
              "/C=BR/O=Outra/CN=OUTRA LTDA:11222333000181"};
  ASSERT_EQ(RunProcess("/usr/bin/openssl", req).exitCode, 0);

  const std::string url = m_base + std::string(kPathRecepcao);
  const std::string alheio =
      EnvelopeLote({{std::string(kIdR2010), Signed("r2010-tomador.xml", key, cert)}});
  const Reply foraDaCadeia = Post(url, kEnviar, alheio);
  EXPECT_EQ(foraDaCadeia.status, 200);
  EXPECT_EQ(Interior(foraDaCadeia.body, "codResp"), "203") << foraDaCadeia.body;
  EXPECT_NE(Interior(foraDaCadeia.body, "dscResp").find("cadeia confiável"), std::string::npos);

  const std::string envio =
      EnvelopeLote({{std::string(kIdR2010), SignedByCompany("r2010-tomador.xml")}});
  const Reply semCertificado = Post(url, kEnviar, envio, "");
  EXPECT_NE(semCertificado.code, CURLE_OK)
      << "the handshake must fail without a client certificate";

  WriteFile(m_dir / "controle", "body=soap-fault\n");
  const Reply falha = Post(url, kEnviar, envio);
  EXPECT_EQ(falha.status, 500);
  EXPECT_NE(falha.body.find("Falha simulada no serviço."), std::string::npos) << falha.body;
  fs::remove(m_dir / "controle");

  // The lot was taken although its reply was lost: sent again, the same answer comes back.
  const Reply deNovo = Post(url, kEnviar, envio);
  EXPECT_EQ(Interior(deNovo.body, "cdRetorno"), "0") << deNovo.body;

  const Reply outroCaminho = Post(m_base + "RecepcaoLoteReinf.svc", kEnviar, envio);
  EXPECT_EQ(outroCaminho.status, 404);
}

}  // namespace
}  // namespace luvaro::test
