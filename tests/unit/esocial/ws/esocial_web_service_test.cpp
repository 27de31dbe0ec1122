// What the four eSocial calls share: address, action, envelope around the body, declaration,
// file names, status while running, the transmission hook, the log text, and the reply cut
// out of its result element with or without a namespace prefix.
#include "esocial/esocial_web_service.h"

#include <algorithm>
#include <functional>
#include <regex>

#include "dfe/dfe_exception.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"
#include "tests/unit/esocial/ws/ws_teste.h"

namespace luvaro::test {
namespace {

constexpr const char* kHost = "https://webservices.producaorestrita.esocial.gov.br";
constexpr const char* kServicos = "http://www.esocial.gov.br/servicos/empregador/";

struct Chamada {
  const char* nome;
  std::function<bool(TWebServices&)> executar;
  std::function<TeSocialWebService&(TWebServices&)> chamada;
  std::string caminho;   // of the URL
  std::string action;    // after kServicos
  std::string v1;        // the envelope's v1 namespace
  std::string abertura;  // wrappers before the body
  std::string fechamento;
  bool declaracao;       // an unsigned envelope goes with the UTF-8 declaration
  std::string arquivos;  // regular expression of the two saved files' names
  TStatuseSocial status;
  std::string resultado;  // the result element's method
  std::string fixture;    // a reply of tests/fixtures/esocial_retornos
  std::function<int(TWebServices&)> cdResposta;
  std::pair<TeSocialEventos, TeSocialEventos> eventos;
};

const std::vector<Chamada>& Chamadas() {
  static const std::vector<Chamada> chamadas = {
      {"send lot",
       [](TWebServices& ws) { return ws.Envia(1); },
       [](TWebServices& ws) -> TeSocialWebService& { return ws.EnvioLote(); },
       "/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc",
       "lote/eventos/envio/v1_1_0/ServicoEnviarLoteEventos/EnviarLoteEventos",
       "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1",
       "<v1:EnviarLoteEventos><v1:loteEventos>",
       "</v1:loteEventos></v1:EnviarLoteEventos>",
       true,
       R"(\d{12}-env-lot\.xml \d{12}-rec\.xml)",
       TStatuseSocial::stEnvLoteEventos,
       "EnviarLoteEventos",
       "envio-lote-aceito.xml",
       [](TWebServices& ws) { return ws.EnvioLote().RetEnvioLote().Status().cdResposta; },
       {TeSocialEventos::eseEnvioLote, TeSocialEventos::eseRetornoLote}},
      {"query lot",
       [](TWebServices& ws) { return ws.Consultar("1.2.202405.0000000000012345678"); },
       [](TWebServices& ws) -> TeSocialWebService& { return ws.ConsultaLote(); },
       "/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc",
       "lote/eventos/envio/consulta/retornoProcessamento/v1_1_0/ServicoConsultarLoteEventos/"
       "ConsultarLoteEventos",
       "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1",
       "<v1:ConsultarLoteEventos><v1:loteEventos>",
       "</v1:loteEventos></v1:ConsultarLoteEventos>",
       true,
       R"(eSocial-ped-sit\.xml eSocial-sit\.xml)",
       TStatuseSocial::stConsultaLote,
       "ConsultarLoteEventos",
       "consulta-lote-dois-eventos.xml",
       [](TWebServices& ws) { return ws.ConsultaLote().RetConsultaLote().Status().cdResposta; },
       {TeSocialEventos::eseEnvioConsulta, TeSocialEventos::eseRetornoConsulta}},
      {"identifier query",
       [](TWebServices& ws) {
         return ws.ConsultaIdentificadoresEventosEmpregador("12345678000195", TTipoEvento::teS1200,
                                                            Data(2024, 4, 1));
       },
       [](TWebServices& ws) -> TeSocialWebService& { return ws.ConsultaIdentEventos(); },
       "/servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc",
       "consulta/identificadores-eventos/v1_0_0/ServicoConsultarIdentificadoresEventos/"
       "ConsultarIdentificadoresEventosEmpregador",
       "http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/v1_0_0",
       "<v1:ConsultarIdentificadoresEventosEmpregador><v1:consultaEventosEmpregador>",
       "</v1:consultaEventosEmpregador></v1:ConsultarIdentificadoresEventosEmpregador>",
       false,
       R"(S-1200-12345678000195-04-2024-\d{14}-con\.xml )"
       R"(S-1200-12345678000195-04-2024-\d{14}-ped-con\.xml)",
       TStatuseSocial::stConsultaIdentEvt,
       "ConsultarIdentificadoresEventosEmpregador",
       "consulta-ident-tres.xml",
       [](TWebServices& ws) {
         return ws.ConsultaIdentEventos().RetConsultaIdentEvt().Status().cdResposta;
       },
       {TeSocialEventos::eseEnvioConsultaIdentEvt, TeSocialEventos::eseRetornoConsultaIdentEvt}},
      {"download",
       [](TWebServices& ws) { return ws.DownloadEvento("12345678000195", "", "1.2.9"); },
       [](TWebServices& ws) -> TeSocialWebService& { return ws.DownloadEventos(); },
       "/servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc",
       "download/solicitacao/v1_0_0/ServicoSolicitarDownloadEventos/"
       "SolicitarDownloadEventosPorNrRecibo",
       "http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0",
       "<v1:SolicitarDownloadEventosPorNrRecibo><v1:solicitacao>",
       "</v1:solicitacao></v1:SolicitarDownloadEventosPorNrRecibo>",
       false,
       R"(\d{14}-dow\.xml \d{14}-ped-dow\.xml)",
       TStatuseSocial::stDownloadEvt,
       "SolicitarDownloadEventosPorNrRecibo",
       "download-evt-rec.xml",
       [](TWebServices& ws) { return ws.DownloadEventos().RetDownloadEvt().Status().cdResposta; },
       {TeSocialEventos::eseEnvioDownloadEvt, TeSocialEventos::eseRetornoDownloadEvt}},
  };
  return chamadas;
}

using TeSocialWebServiceTest = WsTeste;

TEST_F(TeSocialWebServiceTest, EachCallSendsItsEnvelopeToItsAddressWithItsAction) {
  for (const Chamada& c : Chamadas()) {
    SCOPED_TRACE(c.nome);
    m_envios.clear();
    std::filesystem::remove_all(m_dir / "Docs");
    std::vector<TStatuseSocial> estados;
    m_comp->SetOnStatusChange([&](TDFeComponente&) { estados.push_back(m_comp->Status()); });

    ASSERT_TRUE(c.executar(Ws()));
    ASSERT_EQ(m_envios.size(), 1u);
    const EnvioRegistrado& envio = m_envios[0];
    TeSocialWebService& chamada = c.chamada(Ws());
    EXPECT_EQ(envio.url, kHost + c.caminho);
    EXPECT_EQ(envio.action, kServicos + c.action);
    EXPECT_EQ(envio.mime, "text/xml");
    const std::string inicio = std::string(c.declaracao ? kDeclaracao : "") +
                               "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/"
                               "envelope/\"  xmlns:v1=\"" +
                               c.v1 + "\"><soap:Body>" + c.abertura;
    EXPECT_EQ(envio.envelope,
              inicio + chamada.DadosMsg() + c.fechamento + "</soap:Body></soap:Envelope>");
    EXPECT_EQ(chamada.EnvelopeSoap(), envio.envelope.substr(c.declaracao ? 38 : 0));
    EXPECT_EQ(chamada.VersaoServico(), "2.05");
    EXPECT_EQ(chamada.Status(), c.status);
    EXPECT_EQ(estados, (std::vector<TStatuseSocial>{c.status, TStatuseSocial::stIdle}));
    // The request and the reply may be stamped in two different seconds: order the names as if
    // they had no stamp, so the pattern never depends on the clock.
    std::vector<std::string> salvos = Salvos();
    const auto semCarimbo = [](const std::string& nome) {
      return std::regex_replace(nome, std::regex(R"(\d{12,14})"), "");
    };
    std::stable_sort(salvos.begin(), salvos.end(), [&](const std::string& a, const std::string& b) {
      return semCarimbo(a) < semCarimbo(b);
    });
    std::string nomes;
    for (const std::string& nome : salvos) nomes += (nomes.empty() ? "" : " ") + nome;
    EXPECT_TRUE(std::regex_match(nomes, std::regex(c.arquivos))) << nomes;
  }
}

TEST_F(TeSocialWebServiceTest, ReplyIsCutOutWithOrWithoutPrefixAndRead) {
  for (const Chamada& c : Chamadas()) {
    for (bool prefixo : {false, true}) {
      SCOPED_TRACE(std::string(c.nome) + (prefixo ? " prefixed" : ""));
      const std::string retorno = RetornoFixture(c.fixture);
      m_resposta = RespostaSoap(c.resultado, retorno, prefixo);
      ASSERT_TRUE(c.executar(Ws()));
      TeSocialWebService& chamada = c.chamada(Ws());
      EXPECT_EQ(chamada.RetornoWS(), m_resposta);
      EXPECT_EQ(chamada.RetWS(), retorno);
      EXPECT_EQ(c.cdResposta(Ws()), 201);
    }
  }
}

TEST_F(TeSocialWebServiceTest, ReplyWithoutTheResultElementLeavesEmptyObjects) {
  for (const Chamada& c : Chamadas()) {
    SCOPED_TRACE(c.nome);
    m_resposta = RespostaSoap("OutroServico", RetornoFixture(c.fixture));
    ASSERT_TRUE(c.executar(Ws()));
    EXPECT_EQ(c.chamada(Ws()).RetWS(), "");
    EXPECT_EQ(c.cdResposta(Ws()), 0);
  }
}

TEST_F(TeSocialWebServiceTest, TransmissionHookSeesRequestAndReplyAsCopies) {
  std::vector<std::pair<TeSocialEventos, std::string>> vistos;
  m_comp->SetOnTransmissaoEventos([&](std::string& xml, TeSocialEventos tipo) {
    vistos.emplace_back(tipo, xml);
    xml = "alterado";
  });
  for (const Chamada& c : Chamadas()) {
    SCOPED_TRACE(c.nome);
    vistos.clear();
    const std::string retorno = RetornoFixture(c.fixture);
    m_resposta = RespostaSoap(c.resultado, retorno);
    ASSERT_TRUE(c.executar(Ws()));
    TeSocialWebService& chamada = c.chamada(Ws());
    ASSERT_EQ(vistos.size(), 2u);
    EXPECT_EQ(vistos[0].first, c.eventos.first);
    EXPECT_EQ(vistos[0].second, chamada.DadosMsg());
    EXPECT_EQ(vistos[1].first, c.eventos.second);
    EXPECT_EQ(vistos[1].second, retorno);
    EXPECT_EQ(chamada.RetWS(), retorno);
    EXPECT_NE(m_envios.back().envelope.find(chamada.DadosMsg()), std::string::npos);
  }
}

TEST_F(TeSocialWebServiceTest, LogTextOfEachCall) {
  const std::string lote =
      "Versão Layout: 02_05_00 \r\nAmbiente: 2 \r\nVersão Aplicativo: 1.5.0 \r\n"
      "Status Código: 201 \r\nStatus Descrição: %s \r\nRecebimento: 10/05/2024 14:03:27 \r\n";
  const std::string consulta =
      "Versão Layout: 02_05_00 \r\nAmbiente: 2 \r\nStatus Código: 201 \r\n"
      "Status Descrição: %s \r\n";
  const std::string esperados[] = {
      std::regex_replace(lote, std::regex("%s"), "Lote Recebido com Sucesso."),
      std::regex_replace(lote, std::regex("%s"), "Lote Processado com Sucesso."),
      std::regex_replace(consulta, std::regex("%s"), "Consulta realizada com sucesso."),
      std::regex_replace(consulta, std::regex("%s"), "Solicitação processada com sucesso."),
  };
  for (std::size_t i = 0; i < Chamadas().size(); ++i) {
    const Chamada& c = Chamadas()[i];
    SCOPED_TRACE(c.nome);
    m_log.clear();
    m_resposta = RespostaSoap(c.resultado, RetornoFixture(c.fixture));
    ASSERT_TRUE(c.executar(Ws()));
    ASSERT_EQ(m_log.size(), 2u);
    EXPECT_EQ(m_log[0], std::string("Inicio ") + c.chamada(Ws()).ClassName());
    EXPECT_EQ(m_log[1], esperados[i]);
  }
}

TEST_F(TeSocialWebServiceTest, VersionOutsideTheTableGivesEmptyTextsAndVersionZero) {
  m_comp->Configuracoes().Geral().SetVersaoDF(static_cast<TVersaoeSocial>(5));
  m_comp->Configuracoes().WebServices().SetAmbiente(TTipoAmbiente::taProducao);
  m_resposta = RespostaSoap("ConsultarLoteEventos",
                            "<eSocial><retornoProcessamentoLoteEventos>"
                            "<status><cdResposta>101</cdResposta>"
                            "</status></retornoProcessamentoLoteEventos>"
                            "</eSocial>");
  ASSERT_TRUE(Ws().Consultar("1"));
  EXPECT_EQ(Ws().ConsultaLote().VersaoServico(), "0.00");
  EXPECT_EQ(m_envios[0].url,
            "https://webservices.consulta.esocial.gov.br/servicos/empregador/"
            "consultarloteeventos/WsConsultarLoteEventos.svc");
  EXPECT_EQ(m_log.back(),
            "Versão Layout:  \r\nAmbiente: 1 \r\nVersão Aplicativo:  \r\nStatus Código: 101 \r\n"
            "Status Descrição:  \r\nRecebimento:  \r\n");
}

TEST_F(TeSocialWebServiceTest, FailedTransmissionEndsWithTheStatusIdle) {
  m_erroInterno = 12029;
  for (const Chamada& c : Chamadas()) {
    SCOPED_TRACE(c.nome);
    EXPECT_THROW(c.executar(Ws()), EDFeException);
    EXPECT_EQ(m_comp->Status(), TStatuseSocial::stIdle);
  }
}

}  // namespace
}  // namespace luvaro::test
