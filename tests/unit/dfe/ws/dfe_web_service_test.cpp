// A call's steps in order, the files it saves, the transmit hooks and their retry loop, and
// how failures reach the log hook and the caller.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/ssl_backends.h"
#include "dfe/xml/data_hora.h"
#include "tests/unit/dfe/ssl/failure_of.h"
#include "tests/unit/dfe/ws/chamada_teste.h"

namespace luvaro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

TEST_F(WebServiceTest, RunsTheStepsInOrderAndSavesBodyAndExtractedReply) {
  m_ws.msgLog = "Lote enviado";
  const std::string antes = m_ws.PrefixoArquivo();

  EXPECT_TRUE(m_ws.Executar());

  const std::string depois = m_ws.PrefixoArquivo();
  EXPECT_THAT(m_ws.passos,
              ElementsAre("Clear", "DefinirURL", "DefinirServicoEAction", "DefinirDadosMsg",
                          "MontarEnvelopeSoap", "GravarEnvio", "Transmitir", "TratarResposta",
                          "GravarResposta", "EncerrarServico"));
  EXPECT_THAT(m_log, ElementsAre("Inicio TChamadaTeste", "Lote enviado"));
  EXPECT_EQ(m_ws.RetWS(), "Requisição recebida.");
  EXPECT_EQ(m_ws.RetornoWS(), kRespostaPadrao);
  ASSERT_EQ(m_envios.size(), 1u);
  EXPECT_EQ(m_envios[0].url, m_ws.url);
  EXPECT_EQ(m_envios[0].soapAction, m_ws.action);
  EXPECT_EQ(m_envios[0].mimeType, "");

  // The configured case: Geral.Salvar on, WebServices.Salvar off.
  const auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 2u);
  const std::regex nome(R"((\d{14})-(pedido|resposta)\.xml)");
  for (const std::string& arquivo : arquivos) {
    SCOPED_TRACE(arquivo);
    std::smatch partes;
    ASSERT_TRUE(std::regex_match(arquivo, partes, nome));
    EXPECT_GE(partes[1].str(), antes);
    EXPECT_LE(partes[1].str(), depois);
    const std::string conteudo = ReadFile(PastaSalvar() / arquivo);
    EXPECT_EQ(conteudo,
              kDeclaracao + (partes[2] == "pedido" ? m_ws.dados : std::string(m_ws.RetWS())));
  }
}

TEST_F(WebServiceTest, SavesByTheTwoSwitchesAndOnlyWithANamePart) {
  struct Caso {
    const char* nome;
    bool geral, webServices;
    const char *arqEnv, *arqResp;
    std::vector<std::string> sufixos;
  };
  const Caso casos[] = {
      {"both switches",
       true,
       true,
       "pedido",
       "resposta",
       {"-pedido-soap.xml", "-pedido.xml", "-resposta-soap.xml", "-resposta.xml"}},
      {"envelopes only",
       false,
       true,
       "pedido",
       "resposta",
       {"-pedido-soap.xml", "-resposta-soap.xml"}},
      {"neither", false, false, "pedido", "resposta", {}},
      {"no request name", true, true, "", "resposta", {"-resposta-soap.xml", "-resposta.xml"}},
      {"no reply name", true, true, "pedido", "", {"-pedido-soap.xml", "-pedido.xml"}},
      {"a name from a reply stays in the folder",
       true,
       false,
       "../../fora",
       "1.2/3",
       {"-.__.__fora.xml", "-1.2_3.xml"}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    std::filesystem::remove_all(PastaSalvar());
    m_comp.Configuracoes().Geral().SetSalvar(caso.geral);
    m_comp.Configuracoes().WebServices().SetSalvar(caso.webServices);
    m_ws.SetArqEnv(caso.arqEnv);
    m_ws.SetArqResp(caso.arqResp);
    ASSERT_TRUE(m_ws.Executar());
    std::vector<std::string> sufixos;
    for (const std::string& arquivo : Arquivos()) sufixos.push_back(arquivo.substr(14));
    EXPECT_EQ(sufixos, caso.sufixos);
  }
  EXPECT_FALSE(std::filesystem::exists(m_dir / "fora.xml"));
  // The envelopes as sent and as received.
  m_comp.Configuracoes().WebServices().SetSalvar(true);
  m_ws.SetArqEnv("pedido");
  m_ws.SetArqResp("resposta");
  std::filesystem::remove_all(PastaSalvar());
  ASSERT_TRUE(m_ws.Executar());
  const auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 4u);
  EXPECT_EQ(ReadFile(PastaSalvar() / arquivos[0]), kDeclaracao + m_ws.EnvelopeSoap());
  EXPECT_EQ(ReadFile(PastaSalvar() / arquivos[2]), kDeclaracao + m_ws.RetornoWS());
}

TEST_F(WebServiceTest, ASignedBodyIsSavedByteForByte) {
  m_ws.dados = "<?xml version=\"1.0\" encoding=\"utf-8\"?><lote><Signature>x</Signature></lote>";
  m_comp.Configuracoes().WebServices().SetSalvar(true);
  ASSERT_TRUE(m_ws.Executar());
  const auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 4u);
  EXPECT_EQ(ReadFile(PastaSalvar() / arquivos[1]), m_ws.dados);  // ...-pedido.xml
}

TEST_F(WebServiceTest, AStarActionSendsNoActionAndEachRunStartsClean) {
  m_ws.action = "*";
  ASSERT_TRUE(m_ws.Executar());
  ASSERT_EQ(m_envios.size(), 1u);
  EXPECT_EQ(m_envios[0].soapAction, "");
  EXPECT_EQ(m_ws.SoapAction(), "");

  // A second run does not carry the first one's reply.
  m_saidas = {{}, {"<outra/>"}};
  m_tratarErros = true;
  EXPECT_FALSE(m_ws.Executar());
  EXPECT_EQ(m_ws.RetWS(), "");
  EXPECT_EQ(m_ws.RetornoWS(), "<outra/>");
}

TEST_F(WebServiceTest, MissingPartsFailWithTheirMessages) {
  struct Caso {
    const char* nome;
    std::function<void(TChamadaTeste&)> preparar;
    std::string mensagem;
    bool encerrou;  // EncerrarServico ran
  };
  const Caso casos[] = {
      {"no URL", [](TChamadaTeste& ws) { ws.url.clear(); }, "URL não definida para: TChamadaTeste",
       false},
      {"no service", [](TChamadaTeste& ws) { ws.servico.clear(); },
       "Servico não definido para: TChamadaTeste", false},
      {"no action", [](TChamadaTeste& ws) { ws.action.clear(); },
       "SoapAction não definido para: TChamadaTeste", false},
      {"no header version", [](TChamadaTeste& ws) { ws.versaoDados.clear(); },
       "GerarVersaoDadosSoap não implementado para: TChamadaTeste", true},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    TChamadaTeste ws(m_comp);
    caso.preparar(ws);
    m_log.clear();
    EXPECT_EQ(FailureOf([&] { ws.Executar(); }), caso.mensagem);
    EXPECT_THAT(Erros(), ElementsAre("ERRO: " + caso.mensagem));
    EXPECT_EQ(ws.passos.back() == "EncerrarServico", caso.encerrou);
  }
  EXPECT_THAT(m_envios, IsEmpty());
}

TEST_F(WebServiceTest, TheBaseNamesEveryStepItCannotDo) {
  TDFeWebService base(m_comp);
  EXPECT_EQ(FailureOf([&] { base.Executar(); }),
            "DefinirURL não implementado para: TDFeWebService");

  // With the log hook handling every failure the call goes on through each missing step and
  // ends with a false result.
  m_tratarErros = true;
  m_log.clear();
  EXPECT_FALSE(base.Executar());
  EXPECT_THAT(Erros(),
              ElementsAre("ERRO: DefinirURL não implementado para: TDFeWebService",
                          "ERRO: URL não definida para: TDFeWebService",
                          "ERRO: DefinirServicoEAction não implementado para: TDFeWebService",
                          "ERRO: Servico não definido para: TDFeWebService",
                          "ERRO: SoapAction não definido para: TDFeWebService",
                          "ERRO: DefinirDadosMsg não implementado para: TDFeWebService",
                          "ERRO: GerarVersaoDadosSoap não implementado para: TDFeWebService",
                          "ERRO: TratarResposta não implementado para: TDFeWebService"));
  ASSERT_EQ(m_envios.size(), 1u);  // the hook answered the request with an empty URL
}

TEST_F(WebServiceTest, AFailureReadingTheReplyCarriesTheCallsOwnText) {
  m_ws.msgErro = "Falha ao ler o retorno do lote";
  m_ws.tratar = []() -> bool { throw EDFeException("Elemento ausente"); };
  const std::string texto = "Falha ao ler o retorno do lote\r\nElemento ausente";

  EXPECT_EQ(FailureOf([&] { m_ws.Executar(); }), texto);
  EXPECT_THAT(Erros(), ElementsAre("ERRO: " + texto));
  EXPECT_EQ(m_ws.passos.back(), "EncerrarServico");

  // Handled by the log hook: false, no reply saved, the service still closed.
  m_tratarErros = true;
  m_ws.passos.clear();
  std::filesystem::remove_all(PastaSalvar());
  EXPECT_FALSE(m_ws.Executar());
  EXPECT_THAT(m_ws.passos, ::testing::Not(::testing::Contains("GravarResposta")));
  EXPECT_EQ(m_ws.passos.back(), "EncerrarServico");
  EXPECT_EQ(Arquivos().size(), 1u);  // the request only

  // A reply without the element: the whole reply is part of the message.
  m_tratarErros = false;
  m_ws.tratar = nullptr;
  m_ws.msgErro.clear();
  m_saidas.assign(3, Saida{"<falha/>"});
  EXPECT_EQ(FailureOf([&] { m_ws.Executar(); }),
            "\r\nErro ao obter resposta do webservice.\r\n<falha/>");
}

TEST_F(WebServiceTest, TransmitHooksRetryOrHandleAFailure) {
  struct Visto {
    int http, interno;
    std::string url, dados, soapAction;
  };
  std::vector<Visto> vistos;
  int retentativas = 0;
  bool tratar = false;
  m_comp.SetOnTransmitError([&](int http, int interno, const std::string& url,
                                const std::string& dados, const std::string& soapAction,
                                bool& retentar, bool& tratado) {
    vistos.push_back({http, interno, url, dados, soapAction});
    retentar = retentativas-- > 0;
    tratado = tratar;
  });

  // Two failures retried, then the answer.
  m_saidas = {{"", 0, 12002}, {"<parcial/>", 503, 12030}};
  retentativas = 2;
  EXPECT_TRUE(m_ws.Executar());
  ASSERT_EQ(m_envios.size(), 3u);
  EXPECT_EQ(m_envios[1].dados, m_envios[0].dados);
  EXPECT_EQ(m_envios[2].dados, m_envios[0].dados);
  ASSERT_EQ(vistos.size(), 2u);
  EXPECT_EQ(vistos[0].interno, 12002);
  EXPECT_EQ(vistos[1].http, 503);
  EXPECT_EQ(vistos[1].interno, 12030);
  EXPECT_EQ(vistos[1].url, m_ws.url);
  EXPECT_EQ(vistos[1].dados, m_envios[0].dados);
  EXPECT_EQ(vistos[1].soapAction, m_ws.action);
  EXPECT_EQ(m_ws.RetWS(), "Requisição recebida.");

  // Handled without a retry: the call reads an empty reply.
  m_envios.clear();
  m_saidas = {{"<parcial/>", 200, 12175}};
  retentativas = 0;
  tratar = true;
  m_ws.respostasVistas.clear();
  m_ws.tratar = [] { return true; };
  EXPECT_TRUE(m_ws.Executar());
  EXPECT_THAT(m_ws.respostasVistas, ElementsAre(""));

  // Neither: the failure reaches the caller.
  m_envios.clear();
  tratar = false;
  m_ws.msgErro = "Falha no envio";
  EXPECT_EQ(FailureOf([&] { m_ws.Executar(); }), "Falha no envio\r\nErro ao Transmitir");
}

TEST_F(WebServiceTest, WithoutTheHookTheFacadeSendsAndItsCodesReachTheErrorHook) {
  m_comp.SetOnTransmit(nullptr);
  std::vector<std::pair<int, int>> codigos;
  m_comp.SetOnTransmitError([&](int http, int interno, const std::string&, const std::string&,
                                const std::string&, bool&,
                                bool&) { codigos.emplace_back(http, interno); });
  // No HTTP back-end chosen: the facade's own failure, with its (empty) codes.
  EXPECT_EQ(FailureOf([&] { m_ws.Executar(); }),
            "\r\nMétodo \"Enviar\" não implementado em: TDFeSSLHttpClass");
  EXPECT_THAT(codigos, ElementsAre(std::make_pair(0, 0)));
}

// A certificate whose data the test sets: serial number and end of validity.
class CryptValidade final : public TDFeSSLCryptClass {
 public:
  CryptValidade(TDFeSSL& owner, DateTime vencimento)
      : TDFeSSLCryptClass(owner), m_vencimento(vencimento) {}
  void CarregarCertificado() override {
    FpDadosCertificado->SetNumeroSerie("0A1B");
    FpDadosCertificado->SetDataVenc(m_vencimento);
    FpCertificadoLido = true;
  }
  std::string ClassName() const override { return "CryptValidade"; }

 private:
  DateTime m_vencimento;
};

TEST_F(WebServiceTest, AnExpiredCertificateStopsBeforeSendingAfterTheRequestIsSaved) {
  struct Caso {
    const char* nome;
    DateTime vencimento;
    bool verificar;
    std::string falha;  // empty: sent
  };
  const Caso casos[] = {
      {"expired", encodeDateTime(2020, 1, 31, 23, 59, 59), true,
       "\r\nData de Validade do Certificado já expirou: 31/01/2020"},
      {"expired, check off", encodeDateTime(2020, 1, 31), false, ""},
      {"valid", nowLocal() + 30, true, ""},
  };
  m_comp.Configuracoes().Certificados().SetNumeroSerie("0a 1b");
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    m_comp.SSL().SetSSLCryptClass(std::make_unique<CryptValidade>(m_comp.SSL(), caso.vencimento));
    m_comp.Configuracoes().Certificados().SetVerificarValidade(caso.verificar);
    m_envios.clear();
    std::filesystem::remove_all(PastaSalvar());
    if (caso.falha.empty()) {
      EXPECT_TRUE(m_ws.Executar());
      EXPECT_EQ(m_envios.size(), 1u);
    } else {
      EXPECT_EQ(FailureOf([&] { m_ws.Executar(); }), caso.falha);
      EXPECT_THAT(m_envios, IsEmpty());
      ASSERT_EQ(Arquivos().size(), 1u);
      EXPECT_TRUE(Arquivos()[0].ends_with("-pedido.xml"));
    }
  }
}

TEST_F(WebServiceTest, EndsTheServiceAlsoWhenSomethingElseUnwindsTheCall) {
  struct Parada {};  // not an exception any failure handler catches
  m_ws.tratar = []() -> bool { throw Parada{}; };
  EXPECT_THROW(m_ws.Executar(), Parada);
  EXPECT_EQ(m_ws.passos.back(), "EncerrarServico");
  EXPECT_THAT(Erros(), IsEmpty());
}

}  // namespace
}  // namespace luvaro::test
