// The eSocial calls of a send run, a query run and a table-event download run, against the
// esocial role of luvaro-sim over HTTPS with the token's company certificate: lot and events
// signed inside a SoftHSM2 token, the request files saved under their names, the action and
// envelope bytes as the stand-in received them, RetWS cut out of plain and prefixed replies
// and read into the reply objects, and the identifier and download requests verified by
// xmlsec1.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/curl.h"
#include "dfe/ssl/dfe_ssl.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_web_services.h"
#include "esocial/eventos.h"
#include "esocial/retorno_s5001.h"
#include "esocial/retorno_s5011.h"
#include "tests/support/process.h"
#include "tests/support/sim_process.h"
#include "tests/support/token.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

constexpr const char* kServicos = "http://www.esocial.gov.br/servicos/empregador/";
constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The stand-in's event templates, without their signature mark: the program signs them.
std::string EventoDoSimulador(const std::string& nome) {
  std::string texto =
      ReadFile(fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "sim" / "esocial" / nome);
  const std::size_t marca = texto.find("<!--ASSINATURA-->");
  if (marca != std::string::npos) texto.erase(marca, 17);
  return texto;
}

class EsocialWsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_curl = std::make_unique<CurlGlobal>();
    TestToken::Shared();
  }
  static void TearDownTestSuite() { s_curl.reset(); }

  // A stand-in (plain or prefixed results) and a component pointed at it through
  // eSocialServicos.ini beside the program, configured as the eSocial worker configures it,
  // with the token's company certificate.
  void Iniciar(bool prefixado) {
    TestToken& token = TestToken::Shared();
    std::vector<std::string> args = {
        "--cert",      token.ServerPem().string(), "--key",       token.ServerKeyPem().string(),
        "--client-ca", token.CaPem().string(),     "--signer-ca", token.CaPem().string(),
        "--schemas",   PastaSchemas().string()};
    if (prefixado) args.push_back("--prefixed-result");
    m_sim = std::make_unique<SimProcess>(LUVARO_SIM_PATH, "esocial", args);
    const std::string base = m_sim->BaseUrl();
    WriteFile(m_dir / "eSocialServicos.ini",
              "[eSocial_H]\r\n"
              "EnviarLoteEventos=" +
                  base +
                  "servicos/empregador/enviarloteeventos/"
                  "WsEnviarLoteEventos.svc\r\n"
                  "ConsultarLoteEventos=" +
                  base +
                  "servicos/empregador/consultarloteeventos/"
                  "WsConsultarLoteEventos.svc\r\n"
                  "ConsultarIdentificadoresEventos=" +
                  base +
                  "servicos/empregador/dwlcirurgico/"
                  "WsConsultarIdentificadoresEventos.svc\r\n"
                  "DownloadEventos=" +
                  base +
                  "servicos/empregador/dwlcirurgico/"
                  "WsSolicitarDownloadEventos.svc\r\n");
    token.TrustTestCa(m_dir.path());
    m_comp = NovoComponente(m_dir.path(), false);
    m_comp->SSL().SetTokenEnv(m_env.get());
    TConfiguracoeseSocial& c = m_comp->Configuracoes();
    c.Certificados().SetNumeroSerie(token.Certificate("empresa").serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
    c.WebServices().SetAmbiente(TTipoAmbiente::taHomologacao);
    c.WebServices().SetTimeOut(30000);
    c.Geral().SetSalvar(true);
    c.WebServices().SetSalvar(false);
    c.Arquivos().SetSalvar(false);
  }

  void TearDown() override {
    m_comp.reset();  // before the token environment it uses
    if (m_sim) {
      EXPECT_EQ(m_sim->Terminate(), 0) << m_sim->StdErr();
    }
  }

  TWebServices& Ws() { return m_comp->WebServices(); }

  // Loads and signs the S-1000, S-1200 and S-1299 documents, sends them and returns the
  // protocol.
  std::string EnviarLote() {
    TEventos& eventos = m_comp->Eventos();
    EXPECT_TRUE(eventos.LoadFromString(LerFixtureEsocial("s1000-info-empregador.xml")));
    EXPECT_TRUE(eventos.LoadFromString(EventoDoSimulador("s1200-remuneracao.xml")));
    EXPECT_TRUE(eventos.LoadFromString(EventoDoSimulador("s1299-fechamento.xml")));
    EXPECT_TRUE(m_comp->Enviar(1));
    return Ws().EnvioLote().RetEnvioLote().DadosRecLote().Protocolo;
  }

  // The last recorded request, checked against the call that sent it.
  RecordedRequest ConfereUltimoPedido(TeSocialWebService& chamada, const std::string& action,
                                      const std::string& caminho, bool declaracao) {
    const std::vector<RecordedRequest> pedidos = m_sim->Requests();
    EXPECT_FALSE(pedidos.empty());
    if (pedidos.empty()) return {};
    const RecordedRequest& pedido = pedidos.back();
    EXPECT_EQ(pedido.target, "/servicos/empregador/" + caminho);
    EXPECT_EQ(pedido.Header("SOAPAction"), "\"" + std::string(kServicos) + action + "\"");
    EXPECT_TRUE(pedido.Header("Content-Type").starts_with("text/xml"))
        << pedido.Header("Content-Type");
    EXPECT_EQ(pedido.body, (declaracao ? kDeclaracao : std::string()) + chamada.EnvelopeSoap());
    const auto sujeito = pedido.tls.find("subject");
    EXPECT_TRUE(sujeito != pedido.tls.end() &&
                sujeito->second.find("EMPRESA TESTE LTDA") != std::string::npos);
    return pedido;
  }

  // xmlsec1's verdict on a signed request body: the signature and a certificate of the test CA.
  void ConfereAssinatura(const std::string& documento) {
    WriteFile(m_dir / "pedido-assinado.xml", documento);
    ProcessOptions options;
    options.args = {"--verify", "--trusted-pem", TestToken::Shared().CaPem().string(),
                    (m_dir / "pedido-assinado.xml").string()};
    const ProcessResult verificado = RunProcess("/usr/bin/xmlsec1", options);
    EXPECT_EQ(verificado.exitCode, 0) << verificado.err;
  }

  std::vector<std::string> Salvos() const { return Arquivos(m_dir / "Docs"); }

  TempDir m_dir{"luvaro-esocial-ws-sim"};
  std::unique_ptr<TokenEnvironment> m_env =
      std::make_unique<TokenEnvironment>(TestToken::SoftHsmModule());  // outlives the component
  std::unique_ptr<SimProcess> m_sim;
  std::unique_ptr<TeSocialComponente> m_comp;

 private:
  static inline std::unique_ptr<CurlGlobal> s_curl;
};

TEST_F(EsocialWsTest, SendAndQueryALot) {
  Iniciar(false);
  const std::string protocolo = EnviarLote();
  TEnvioLote& envio = Ws().EnvioLote();
  EXPECT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d{19})"))) << envio.RetWS();
  EXPECT_EQ(envio.RetEnvioLote().Status().cdResposta, 201);
  EXPECT_EQ(envio.RetEnvioLote().Status().descResposta, "Lote Recebido com Sucesso.");
  EXPECT_GT(envio.RetEnvioLote().DadosRecLote().dhRecepcao, 0);
  EXPECT_TRUE(envio.RetWS().starts_with("<eSocial")) << envio.RetWS();
  // A lot of signed events travels without a declaration of its own.
  ConfereUltimoPedido(envio, "lote/eventos/envio/v1_1_0/ServicoEnviarLoteEventos/EnviarLoteEventos",
                      "enviarloteeventos/WsEnviarLoteEventos.svc", false);

  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  ASSERT_TRUE(m_comp->Consultar(protocolo));
  TConsultaLote& consulta = Ws().ConsultaLote();
  ConfereUltimoPedido(consulta,
                      "lote/eventos/envio/consulta/retornoProcessamento/v1_1_0/"
                      "ServicoConsultarLoteEventos/ConsultarLoteEventos",
                      "consultarloteeventos/WsConsultarLoteEventos.svc", true);
  const TRetConsultaLote& ret = consulta.RetConsultaLote();
  EXPECT_EQ(ret.Status().cdResposta, 201);
  EXPECT_EQ(ret.DadosRecLote().Protocolo, protocolo);
  ASSERT_EQ(ret.RetEventos().size(), 3u) << consulta.RetWS();
  for (const TRetEventoItem& evento : ret.RetEventos()) {
    SCOPED_TRACE(evento.Id);
    EXPECT_EQ(evento.Processamento.cdResposta, 201) << consulta.RetWS();
    EXPECT_TRUE(std::regex_match(evento.Recibo.nrRecibo, std::regex(R"(1\.2\.\d{19})")));
    EXPECT_FALSE(evento.evtDupl);
    EXPECT_EQ(evento.Recepcao.tpAmb, TpTpAmb::taProducaoRestrita);
    EXPECT_EQ(evento.Recepcao.Protocolo, protocolo);
  }
  // The container's order: S-1000, then S-1200 and S-1299 among the periodic events.
  const TRetEventoItem& s1200 = ret.RetEventos()[1];
  const TRetEventoItem& s1299 = ret.RetEventos()[2];
  EXPECT_EQ(s1200.Id, "ID1123456780000002024051012000000001");
  ASSERT_EQ(s1200.tot.size(), 1u);
  ASSERT_EQ(s1299.tot.size(), 1u);
  auto& bases = dynamic_cast<TS5001&>(*s1200.tot[0].Evento).EvtBasesTrab();
  EXPECT_EQ(bases.IdeTrabalhador().cpfTrab, "12345678909");
  EXPECT_EQ(bases.IdeEvento().perApur, "2024-04");
  ASSERT_FALSE(bases.InfoCp().ideEstabLot.empty());
  EXPECT_FALSE(bases.InfoCp().ideEstabLot[0].infoCategIncid.empty());
  auto& cs = dynamic_cast<TS5011&>(*s1299.tot[0].Evento).EvtCS();
  EXPECT_EQ(cs.IdeEmpregador().NrInsc(), "12345678");
  EXPECT_EQ(cs.InfoCS().indExistInfo, 1);

  // Request and reply of each call under their names, and each totalizer beside them.
  const std::vector<std::string> salvos = Salvos();
  std::string nomes;
  for (const std::string& nome : salvos) {
    if (nome.find("-S-") == std::string::npos) nomes += nome + " ";  // the events' own files
  }
  EXPECT_TRUE(std::regex_match(nomes, std::regex("\\d{12}-env-lot\\.xml \\d{12}-rec\\.xml "
                                                 "ID1123456780000002024051012000000001-S5001\\.xml "
                                                 "ID1123456780000002024051012000000002-S5011\\.xml "
                                                 "eSocial-ped-sit\\.xml eSocial-sit\\.xml ")))
      << nomes;
  EXPECT_NE(ReadFile(m_dir / "Docs" / "eSocial-sit.xml").find(consulta.RetWS()), std::string::npos);
}

TEST_F(EsocialWsTest, RepliesWithPrefixedResultElementsAreCutOutToo) {
  Iniciar(true);
  const std::string protocolo = EnviarLote();
  EXPECT_NE(Ws().EnvioLote().RetornoWS().find("<v1:EnviarLoteEventosResult>"), std::string::npos);
  EXPECT_TRUE(Ws().EnvioLote().RetWS().starts_with("<eSocial")) << Ws().EnvioLote().RetWS();
  EXPECT_FALSE(protocolo.empty());
  ASSERT_TRUE(m_comp->Consultar(protocolo));
  EXPECT_EQ(Ws().ConsultaLote().RetConsultaLote().RetEventos().size(), 3u);
}

TEST_F(EsocialWsTest, IdentifiersOfAcceptedEventsAndTheirDownload) {
  Iniciar(false);
  const std::string protocolo = EnviarLote();
  ASSERT_TRUE(m_comp->Consultar(protocolo));
  const TRetConsultaLote& lote = Ws().ConsultaLote().RetConsultaLote();
  ASSERT_EQ(lote.RetEventos().size(), 3u);

  // By employer: the S-1200 of 2024-04.
  ASSERT_TRUE(m_comp->ConsultaIdentificadoresEventosEmpregador(
      "12345678000195", TTipoEvento::teS1200, encodeDateTime(2024, 4, 1)));
  TConsultaIdentEventos& ident = Ws().ConsultaIdentEventos();
  ConfereUltimoPedido(ident,
                      "consulta/identificadores-eventos/v1_0_0/"
                      "ServicoConsultarIdentificadoresEventos/"
                      "ConsultarIdentificadoresEventosEmpregador",
                      "dwlcirurgico/WsConsultarIdentificadoresEventos.svc", false);
  ConfereAssinatura(ident.DadosMsg());
  const TRetConsultaIdentEvt& achados = ident.RetConsultaIdentEvt();
  EXPECT_EQ(achados.Status().cdResposta, 201) << ident.RetWS();
  ASSERT_EQ(achados.RetIdentEvts().Count(), 1);
  EXPECT_EQ(achados.RetIdentEvts().Items[0].Id, lote.RetEventos()[1].Id);
  EXPECT_EQ(achados.RetIdentEvts().Items[0].nrRec, lote.RetEventos()[1].Recibo.nrRecibo);

  // By table, as the table-event download worker does: a prepared request.
  ident.SetXML(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><eSocial xmlns=\"http://www.esocial.gov.br/"
      "schema/consulta/identificadores-eventos/tabela/v1_0_0\"><consultaIdentificadoresEvts>"
      "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
      "<consultaEvtsTabela><tpEvt>S-1000</tpEvt></consultaEvtsTabela>"
      "</consultaIdentificadoresEvts></eSocial>");
  ASSERT_TRUE(ident.Executar());
  ConfereUltimoPedido(
      ident,
      "consulta/identificadores-eventos/v1_0_0/"
      "ServicoConsultarIdentificadoresEventos/ConsultarIdentificadoresEventosTabela",
      "dwlcirurgico/WsConsultarIdentificadoresEventos.svc", false);
  ConfereAssinatura(ident.DadosMsg());
  ASSERT_EQ(ident.RetConsultaIdentEvt().Status().cdResposta, 201) << ident.RetWS();
  ASSERT_EQ(ident.RetConsultaIdentEvt().RetIdentEvts().Count(), 1);
  const std::string recibo = ident.RetConsultaIdentEvt().RetIdentEvts().Items[0].nrRec;
  EXPECT_EQ(recibo, lote.RetEventos()[0].Recibo.nrRecibo);

  // Download by receipt, with the employer's full CNPJ as the worker passes it.
  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  ASSERT_TRUE(m_comp->DownloadEventos("12345678000195", "", " " + recibo + " "));
  TDownloadEventos& download = Ws().DownloadEventos();
  ConfereUltimoPedido(download,
                      "download/solicitacao/v1_0_0/ServicoSolicitarDownloadEventos/"
                      "SolicitarDownloadEventosPorNrRecibo",
                      "dwlcirurgico/WsSolicitarDownloadEventos.svc", false);
  ConfereAssinatura(download.DadosMsg());
  const TRetDownloadEvt& baixado = download.RetDownloadEvt();
  EXPECT_EQ(baixado.Status().cdResposta, 201) << download.RetWS();
  ASSERT_EQ(baixado.Arquivo().size(), 1u);
  EXPECT_EQ(baixado.Arquivo()[0].Status.cdResposta, 201);
  EXPECT_EQ(baixado.Arquivo()[0].nrRec, recibo);
  EXPECT_EQ(baixado.Arquivo()[0].Id, lote.RetEventos()[0].Id);
  EXPECT_TRUE(baixado.Arquivo()[0].XML.starts_with("<eSocial")) << baixado.Arquivo()[0].XML;
  EXPECT_TRUE(baixado.Arquivo()[0].XML.ends_with("</eSocial>"));
  EXPECT_TRUE(fs::exists(m_dir / "Docs" / (recibo + "-down.xml")));

  // Download by identifier: the event as it was received and its receipt, which is kept.
  ASSERT_TRUE(m_comp->DownloadEventos("12345678000195", lote.RetEventos()[2].Id, ""));
  ConfereUltimoPedido(download,
                      "download/solicitacao/v1_0_0/ServicoSolicitarDownloadEventos/"
                      "SolicitarDownloadEventosPorId",
                      "dwlcirurgico/WsSolicitarDownloadEventos.svc", false);
  ConfereAssinatura(download.DadosMsg());
  ASSERT_EQ(download.RetDownloadEvt().Arquivo().size(), 1u) << download.RetWS();
  const TArquivoItem& evento = download.RetDownloadEvt().Arquivo()[0];
  EXPECT_EQ(evento.Id, lote.RetEventos()[2].Id);
  EXPECT_EQ(evento.nrRec, lote.RetEventos()[2].Recibo.nrRecibo);
  EXPECT_NE(evento.XML.find("<retornoEvento Id=\"" + evento.Id + "\""), std::string::npos);
  EXPECT_TRUE(evento.XML.ends_with("</eSocial>"));
  EXPECT_NE(download.RetWS().find("</evtFechaEvPer>"), std::string::npos);
}

}  // namespace
}  // namespace luvaro::test
