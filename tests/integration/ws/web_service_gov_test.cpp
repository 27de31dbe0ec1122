// A protocol's call run whole against the government stand-in: real TLS with the token's
// certificate, the envelope bytes the server received, the saved files, the transport's codes
// in the transmit-error hook, and the expired certificate that never reaches the network.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "dfe/config/dfe_componente.h"
#include "dfe/ssl/libxml2_global.h"
#include "dfe/ws/dfe_web_service.h"
#include "dfe/ws/resposta_ws.h"
#include "tests/integration/http/gov_test_support.h"

namespace luvaro::test {
namespace {

using ::testing::HasSubstr;

constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr const char* kServico =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0";
constexpr const char* kAction =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
    "ServicoEnviarLoteEventos/EnviarLoteEventos";
constexpr const char* kLote =
    "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtInfoEmpregador/v_S_01_02_00\">"
    "<evtInfoEmpregador Id=\"ID1123456780000002024010112000000001\">"
    "<ideEmpregador><nrInsc>12345678</nrInsc></ideEmpregador><razao>Informação</razao>"
    "</evtInfoEmpregador></eSocial>";

// A lot-sending call as a protocol would write it.
class TEnvioLoteTeste : public TDFeWebService {
 public:
  TEnvioLoteTeste(TDFeComponente& owner, std::string url) : TDFeWebService(owner), m_url(url) {
    FPHeaderElement.clear();
    FPBodyElement = "EnviarLoteEventos";
    FPArqEnv = "env-lot";
    FPArqResp = "rec";
  }
  std::string ClassName() const override { return "TEnvioLoteTeste"; }

  std::string action = kAction;
  std::string elementoResposta = "retorno";
  bool assinar = false;

 protected:
  void DefinirURL() override { FPURL = m_url; }
  void DefinirServicoEAction() override {
    FPServico = kServico;
    FPSoapAction = action;
  }
  void DefinirDadosMsg() override {
    if (assinar) {
      AssinarDados(kLote, "eSocial", "evtInfoEmpregador", "", "", "", "Erro ao assinar o lote");
    } else {
      FPDadosMsg = kLote;
    }
  }
  bool TratarResposta() override {
    FPRetWS = ExtrairElemento(FPRetornoWS, elementoResposta);
    ExigirResposta();
    return true;
  }
  std::string MontarMsgErro(const std::exception&) override { return "Falha no envio do lote"; }

 private:
  std::string m_url;
};

// The stand-in's default reply, and one whose result element carries a namespace prefix.
class WebServiceGovTest : public GovTest {
 protected:
  static void SetUpTestSuite() {
    GovTest::SetUpTestSuite();
    s_libxml2 = std::make_unique<LibXml2Global>();
  }
  static void TearDownTestSuite() {
    s_libxml2.reset();
    GovTest::TearDownTestSuite();
  }

  void SetUp() override {
    GovTest::SetUp();
    Token().TrustTestCa(m_dir / "app");
    m_comp = std::make_unique<TDFeComponente>((m_dir / "app").string());
    m_comp->SSL().SetTokenEnv(m_tokenEnv.get());
    TConfiguracoes& c = m_comp->Configuracoes();
    c.Geral().SetSSLLib(TSSLLib::libWinCrypt);
    c.WebServices().SetTimeOut(10000);
    c.Certificados().SetNumeroSerie(Token().Certificate("empresa").serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
  }
  void TearDown() override {
    m_comp.reset();  // before the token environment it uses
    GovTest::TearDown();
  }

  std::vector<std::string> Salvos() const {
    std::vector<std::string> nomes;
    const auto pasta = m_dir / "app" / "Docs";
    if (!std::filesystem::exists(pasta)) return nomes;
    for (const auto& e : std::filesystem::directory_iterator(pasta)) {
      nomes.push_back(e.path().filename().string());
    }
    std::sort(nomes.begin(), nomes.end());
    return nomes;
  }
  std::string Salvo(const std::string& nome) const {
    return ReadFile(m_dir / "app" / "Docs" / nome);
  }

  std::unique_ptr<TDFeComponente> m_comp;

 private:
  static inline std::unique_ptr<LibXml2Global> s_libxml2;
};

TEST_F(WebServiceGovTest, SendsTheEnvelopeWithTheTokensCertificateAndSavesBothSides) {
  TEnvioLoteTeste ws(*m_comp, Url("servicos/empregador/WsEnviarLoteEventos.svc"));
  const size_t antes = Sim().Requests().size();

  ASSERT_TRUE(ws.Executar());

  const auto pedidos = RequestsFrom(antes);
  ASSERT_EQ(pedidos.size(), 1u);
  const RecordedRequest& pedido = pedidos[0];
  EXPECT_EQ(pedido.target, "/servicos/empregador/WsEnviarLoteEventos.svc");
  EXPECT_EQ(pedido.body,
            std::string(kDeclaracao) +
                "<soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>"
                "<EnviarLoteEventos xmlns=\"" +
                kServico + "\">" + kLote + "</EnviarLoteEventos></soap12:Body></soap12:Envelope>");
  EXPECT_EQ(pedido.Header("SOAPAction"), std::string("\"") + kAction + "\"");
  EXPECT_EQ(pedido.Header("Content-Type"), "application/soap+xml; charset=utf-8");
  EXPECT_EQ(pedido.tls.at("serial"), Token().Certificate("empresa").serial);

  EXPECT_EQ(ws.RetWS(), "Requisição recebida.");
  const auto salvos = Salvos();
  ASSERT_EQ(salvos.size(), 2u);
  EXPECT_THAT(salvos[0], ::testing::EndsWith("-env-lot.xml"));
  EXPECT_EQ(Salvo(salvos[0]), kDeclaracao + std::string(kLote));
  EXPECT_THAT(salvos[1], ::testing::EndsWith("-rec.xml"));
  EXPECT_EQ(Salvo(salvos[1]), kDeclaracao + std::string("Requisição recebida."));
}

TEST_F(WebServiceGovTest, AStarActionSendsNoActionHeader) {
  TEnvioLoteTeste ws(*m_comp, Url());
  ws.action = "*";
  const size_t antes = Sim().Requests().size();
  ASSERT_TRUE(ws.Executar());
  const auto pedidos = RequestsFrom(antes);
  ASSERT_EQ(pedidos.size(), 1u);
  for (const auto& [nome, valor] : pedidos[0].headers) EXPECT_NE(nome, "SOAPAction");
}

TEST_F(WebServiceGovTest, ASignedLotTravelsByteForByte) {
  TEnvioLoteTeste ws(*m_comp, Url());
  ws.assinar = true;
  const size_t antes = Sim().Requests().size();
  ASSERT_TRUE(ws.Executar());
  const auto pedidos = RequestsFrom(antes);
  ASSERT_EQ(pedidos.size(), 1u);
  EXPECT_THAT(ws.DadosMsg(), HasSubstr("<SignatureValue>"));
  EXPECT_EQ(pedidos[0].body, ws.EnvelopeSoap());  // no declaration put before a signed one
  // The signed lot as the server received it, cut out of the envelope, holds under an
  // independent verifier.
  const std::string lote =
      TextoEntre(pedidos[0].body, "<EnviarLoteEventos xmlns=\"" + std::string(kServico) + "\">",
                 "</EnviarLoteEventos>");
  EXPECT_EQ(lote, ws.DadosMsg());
  WriteFile(m_dir / "recebido.xml", lote);
  std::string saida;
  EXPECT_EQ(RunShell("xmlsec1 --verify --trusted-pem '" + Token().CaPem().string() +
                         "' --id-attr:Id evtInfoEmpregador '" + (m_dir / "recebido.xml").string() +
                         "' 2>&1",
                     &saida),
            0)
      << saida;
}

TEST_F(WebServiceGovTest, FindsAPrefixedResultAndSavesIt) {
  const std::string resultado =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/retornoEnvio/"
      "v1_1_0\"><retornoEnvioLoteEventos><status><cdResposta>201</cdResposta></status>"
      "</retornoEnvioLoteEventos></eSocial>";
  WriteFile(m_dir / "resposta.xml",
            "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>"
            "<ns2:EnviarLoteEventosResponse xmlns:ns2=\"" +
                std::string(kServico) + "\"><ns2:EnviarLoteEventosResult>" + resultado +
                "</ns2:EnviarLoteEventosResult></ns2:EnviarLoteEventosResponse></s:Body>"
                "</s:Envelope>");
  SimProcess sim(
      LUVARO_SIM_PATH, "gov",
      {"--cert", Token().ServerPem().string(), "--key", Token().ServerKeyPem().string(),
       "--client-ca", Token().CaPem().string(), "--reply", (m_dir / "resposta.xml").string()});
  TEnvioLoteTeste ws(*m_comp, sim.BaseUrl() + "servico.svc");
  ws.elementoResposta = "EnviarLoteEventosResult";
  m_comp->Configuracoes().WebServices().SetSalvar(true);

  ASSERT_TRUE(ws.Executar());
  EXPECT_EQ(ws.RetWS(), resultado);
  const auto salvos = Salvos();
  ASSERT_EQ(salvos.size(), 4u);
  EXPECT_EQ(Salvo(salvos[2]), kDeclaracao + ws.RetornoWS());  // ...-rec-soap.xml
  EXPECT_EQ(Salvo(salvos[3]), kDeclaracao + resultado);       // ...-rec.xml
}

TEST_F(WebServiceGovTest, TheTransportsCodesReachTheErrorHookAndARetrySendsAgain) {
  TEnvioLoteTeste ws(*m_comp, Url());
  std::vector<std::pair<int, int>> codigos;
  m_comp->SetOnTransmitError([&](int http, int interno, const std::string& url, const std::string&,
                                 const std::string& soapAction, bool& retentar, bool&) {
    codigos.emplace_back(http, interno);
    EXPECT_EQ(url, ws.URL());
    EXPECT_EQ(soapAction, kAction);
    Sim().ClearFaults();
    retentar = codigos.size() == 1;
  });
  Sim().SetFaults("body=soap-fault");
  const size_t antes = Sim().Requests().size();

  ASSERT_TRUE(ws.Executar());

  EXPECT_EQ(codigos, (std::vector<std::pair<int, int>>{{500, 0}}));
  const auto pedidos = RequestsFrom(antes);
  ASSERT_EQ(pedidos.size(), 2u);
  EXPECT_EQ(pedidos[1].body, pedidos[0].body);
  EXPECT_EQ(ws.RetWS(), "Requisição recebida.");
}

TEST_F(WebServiceGovTest, AnUnreachableServiceIsReportedWithTheCallsText) {
  const std::string url = "https://127.0.0.1:" + std::to_string(ClosedPort()) + "/servico.svc";
  TEnvioLoteTeste ws(*m_comp, url);
  EXPECT_EQ(FailureOf([&] { ws.Executar(); }),
            "Falha no envio do lote\r\nErro Interno: 12029\r\nErro HTTP: 0\r\nURL: " + url +
                "\r\nFalha no Envio da Requisição.\r\nErro: 12029 - Conexão com o Servidor falhou");

  // Handled by the error hook: the call goes on with an empty reply, which it requires.
  std::vector<std::pair<int, int>> codigos;
  m_comp->SetOnTransmitError([&](int http, int interno, const std::string&, const std::string&,
                                 const std::string&, bool&, bool& tratado) {
    codigos.emplace_back(http, interno);
    tratado = true;
  });
  EXPECT_EQ(FailureOf([&] { ws.Executar(); }),
            "Falha no envio do lote\r\nErro ao obter resposta do webservice.");
  EXPECT_EQ(codigos, (std::vector<std::pair<int, int>>{{0, 12029}}));
}

TEST_F(WebServiceGovTest, AnExpiredCertificateNeverReachesTheNetwork) {
  m_comp->Configuracoes().Certificados().SetNumeroSerie(Token().Certificate("vencido").serial);
  TEnvioLoteTeste ws(*m_comp, Url());
  const size_t antes = Sim().Requests().size();

  // The certificate's end of validity (make-token.sh: 2020-01-01 00:00:00 UTC) in local time.
  const std::time_t fim = 1577836800;
  std::tm local{};
  localtime_r(&fim, &local);
  char data[16];
  std::strftime(data, sizeof data, "%d/%m/%Y", &local);

  EXPECT_EQ(
      FailureOf([&] { ws.Executar(); }),
      std::string("Falha no envio do lote\r\nData de Validade do Certificado já expirou: ") + data);
  EXPECT_TRUE(RequestsFrom(antes).empty());
  const auto salvos = Salvos();
  ASSERT_EQ(salvos.size(), 1u);
  EXPECT_THAT(salvos[0], ::testing::EndsWith("-env-lot.xml"));
}

}  // namespace
}  // namespace luvaro::test
