// The three EFD-Reinf calls through the component's transmit hook: addresses, SOAP actions,
// envelopes and bodies byte for byte, reply extraction and decoding, saved files, log and error
// texts, the status and the transmission hook.

#include <gtest/gtest.h>

#include <regex>

#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_consulta.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_web_services.h"
#include "tests/unit/reinf/reinf_teste.h"

namespace luvaro::test {
namespace {

using namespace reinf;

constexpr const char* kEnvelope =
    "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
    "xmlns:v1=\"http://sped.fazenda.gov.br/\"><soap:Body>";
constexpr const char* kFimEnvelope = "</soap:Body></soap:Envelope>";
constexpr const char* kAtributos =
    " xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
    "xmlns:v1=\"http://sped.fazenda.gov.br/\"";
constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr const char* kUrlEnvio =
    "https://preprodefdreinf.receita.fazenda.gov.br/WsREINF/RecepcaoLoteReinf.svc";
constexpr const char* kUrlConsulta =
    "https://preprodefdreinf.receita.fazenda.gov.br/WsREINFConsultas/ConsultasReinf.svc";

// A SOAP answer wrapping `conteudo` in `resultado` (with its response element around it).
std::string Resposta(const std::string& resultado, const std::string& conteudo,
                     const std::string& prefixo = "") {
  const std::string abre = prefixo.empty() ? "" : prefixo + ":";
  return "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
         "<Resposta xmlns=\"http://sped.fazenda.gov.br/\"" +
         (prefixo.empty() ? std::string()
                          : " xmlns:" + prefixo + "=\"http://sped.fazenda.gov.br/\"") +
         "><" + abre + resultado + ">" + conteudo + "</" + abre + resultado +
         "></Resposta></s:Body></s:Envelope>";
}

struct Envio {
  std::string dados, url, soapAction, mimeType;
};

class ReinfWebServicesTest : public ReinfTest {
 protected:
  ReinfWebServicesTest() {
    m_comp->SetOnTransmit([this](const std::string& dados, const std::string& url,
                                 const std::string& soapAction, const std::string& mimeType,
                                 std::string& resposta, int& http, int& interno) {
      m_envios.push_back({dados, url, soapAction, mimeType});
      resposta = m_resposta;
      http = 200;
      interno = m_interno;
    });
    m_comp->SetOnGerarLog([this](const std::string& linha, bool&) { m_log.push_back(linha); });
    m_comp->SetOnStatusChange([this](TDFeComponente&) { m_status.push_back(m_comp->Status()); });
    m_comp->SetOnTransmissaoEventos([this](std::string& xml, TEventosReinf tipo) {
      m_hook.emplace_back(tipo, xml);
      xml = "alterado pelo manipulador";
    });
  }

  bool Logou(const std::string& linha) const {
    return std::find(m_log.begin(), m_log.end(), linha) != m_log.end();
  }

  std::string m_resposta;
  int m_interno = 0;
  std::vector<Envio> m_envios;
  std::vector<std::string> m_log;
  std::vector<TStatusReinf> m_status;
  std::vector<std::pair<TEventosReinf, std::string>> m_hook;
};

TEST_F(ReinfWebServicesTest, EnvioDoLote) {
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(FixtureReinf("r2010-servico-tomado.xml")));
  std::filesystem::remove_all(PastaSalvar());
  const std::string retorno = FixtureReinf("retornos/lote-tres-eventos.xml");
  m_resposta = Resposta("ReceberLoteEventosResult", retorno);

  ASSERT_TRUE(m_comp->Enviar());
  ASSERT_EQ(m_envios.size(), 1u);
  TEnvioLote& envio = m_comp->WebServices().EnvioLote();
  const std::string& lote = envio.DadosMsg();
  EXPECT_EQ(lote, envio.Lote().XML());
  EXPECT_TRUE(
      lote.starts_with("<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/"
                       "envioLoteEventos/v1_04_00\"><loteEventos><evento id=\""));
  const std::string envelope = std::string(kEnvelope) + "<v1:ReceberLoteEventos><v1:loteEventos>" +
                               lote + "</v1:loteEventos></v1:ReceberLoteEventos>" + kFimEnvelope;
  EXPECT_EQ(envio.EnvelopeSoap(), envelope);
  // A signed envelope travels as it is, without a declaration put in front.
  EXPECT_EQ(m_envios[0].dados, envelope);
  EXPECT_EQ(m_envios[0].url, kUrlEnvio);
  EXPECT_EQ(m_envios[0].soapAction,
            "http://sped.fazenda.gov.br/RecepcaoLoteReinf/ReceberLoteEventos");
  EXPECT_EQ(m_envios[0].mimeType, "text/xml");
  EXPECT_EQ(envio.URL(), kUrlEnvio);
  EXPECT_EQ(envio.VersaoServico(), "1.40");

  EXPECT_EQ(envio.RetWS(), retorno);
  EXPECT_EQ(envio.Msg(), "");
  EXPECT_EQ(envio.RetEnvioLote().Status.cdStatus, 2);
  ASSERT_EQ(envio.RetEnvioLote().evento.size(), 3u);
  EXPECT_TRUE(
      Logou("Versão Layout: 1_04_00 \r\nAmbiente: 2 \r\nStatus Código: 2 \r\nStatus "
            "Descrição: Lote processado com sucesso. Verifique o retorno de cada "
            "evento. \r\n"));

  EXPECT_EQ(m_status,
            (std::vector<TStatusReinf>{TStatusReinf::stEnvLoteEventos, TStatusReinf::stIdle}));
  ASSERT_EQ(m_hook.size(), 2u);
  EXPECT_EQ(m_hook[0], std::make_pair(TEventosReinf::erEnvioLote, lote));
  EXPECT_EQ(m_hook[1], std::make_pair(TEventosReinf::erRetornoLote, retorno));
  EXPECT_EQ(envio.RetWS(), retorno);  // the handler's change reaches nothing

  // Request and reply under the date-time prefix; the three R-5001 under their event ids.
  const std::vector<std::string> arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 5u);
  EXPECT_EQ(arquivos[2], "ID1123456780000002024030112000000004-R5001.xml");
  const std::regex prefixo("[0-9]{14}-(env-lot|rec)\\.xml");
  EXPECT_TRUE(std::regex_match(arquivos[0], prefixo)) << arquivos[0];
  EXPECT_TRUE(std::regex_match(arquivos[1], prefixo)) << arquivos[1];
  EXPECT_EQ(ReadFile(PastaSalvar() / "ID1123456780000002024040210000000001-R5001.xml"),
            kDeclaracao + envio.RetEnvioLote().evento[0].ArquivoReinf);
}

TEST_F(ReinfWebServicesTest, SemSalvarArquivosNenhumR5001) {
  Config().Arquivos().SetSalvar(false);
  Config().Geral().SetSalvar(false);
  m_resposta = Resposta("ReceberLoteEventosResult", FixtureReinf("retornos/lote-tres-eventos.xml"));
  ASSERT_TRUE(m_comp->Enviar());
  EXPECT_EQ(m_comp->WebServices().EnvioLote().RetEnvioLote().evento.size(), 3u);
  EXPECT_TRUE(Arquivos().empty());
  // No events: a lot with an empty list.
  EXPECT_EQ(m_comp->WebServices().EnvioLote().DadosMsg(),
            "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_04_00\">"
            "<loteEventos></loteEventos></Reinf>");
}

TEST_F(ReinfWebServicesTest, NomeVindoDaRespostaNaoSaiDaPasta) {
  Config().Geral().SetSalvar(false);
  const std::string retorno =
      "<Reinf><retornoLoteEventos id=\"L1\"><status><cdStatus>2</cdStatus></status>"
      "<retornoEventos><evento id=\"../../fora\"><Reinf><evtTotal id=\"T\"/></Reinf></evento>"
      "</retornoEventos></retornoLoteEventos></Reinf>";
  m_resposta = Resposta("ReceberLoteEventosResult", retorno);
  ASSERT_TRUE(m_comp->Enviar());
  EXPECT_EQ(Arquivos(), std::vector<std::string>{".__.__fora-R5001.xml"});
  EXPECT_FALSE(std::filesystem::exists(m_dir.path().parent_path() / "fora-R5001.xml"));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "fora-R5001.xml"));
}

TEST_F(ReinfWebServicesTest, ExtracaoEDecodificacaoDaResposta) {
  const std::string retorno = FixtureReinf("retornos/lote-rejeitado.xml");
  std::string escapado = replaceAll(retorno, "&", "&amp;");
  escapado = replaceAll(escapado, "<", "&lt;");
  escapado = replaceAll(escapado, ">", "&gt;");
  const struct {
    const char* nome;
    std::string resposta;
    std::string retWS;
    int cdStatus;
    std::size_t ocorrencias;
  } casos[] = {
      {"resultado com o XML", Resposta("ReceberLoteEventosResult", retorno), retorno, 7, 3},
      {"resultado com prefixo", Resposta("ReceberLoteEventosResult", retorno, "a"), retorno, 7, 3},
      {"resultado escapado", Resposta("ReceberLoteEventosResult", escapado), escapado, 7, 3},
      {"sem o elemento do resultado", Resposta("OutroResult", retorno), "", 0, 0},
      {"resposta vazia", "", "", 0, 0},
  };
  Config().Geral().SetSalvar(false);
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    m_resposta = c.resposta;
    ASSERT_TRUE(m_comp->Enviar());
    TEnvioLote& envio = m_comp->WebServices().EnvioLote();
    EXPECT_EQ(envio.RetWS(), c.retWS);
    EXPECT_EQ(envio.RetEnvioLote().Status.cdStatus, c.cdStatus);
    EXPECT_EQ(envio.RetEnvioLote().Status.Ocorrencias.size(), c.ocorrencias);
    if (c.ocorrencias == 3) {
      EXPECT_EQ(envio.RetEnvioLote().Status.Ocorrencias[1].Descricao,
                "Assinatura do evento inválida <evento>.");
    }
  }
}

TEST_F(ReinfWebServicesTest, FalhasDoEnvio) {
  m_interno = 12029;
  try {
    m_comp->Enviar();
    FAIL() << "sem exceção";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(),
                 "WebService: http://sped.fazenda.gov.br/RecepcaoLoteReinf/ReceberLoteEventos\r\n"
                 "- Inativo ou Inoperante tente novamente.\r\nErro ao Transmitir");
  }
  EXPECT_EQ(m_comp->Status(), TStatusReinf::stIdle);
  EXPECT_EQ(m_status.back(), TStatusReinf::stIdle);

  // Layout 1.02.00 has no address.
  m_interno = 0;
  m_envios.clear();
  Config().Geral().SetVersaoDF(TVersaoReinf::v1_02_00);
  try {
    m_comp->Enviar();
    FAIL() << "sem exceção";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(), "URL não definida para: TEnvioLote");
  }
  EXPECT_TRUE(m_envios.empty());
  EXPECT_EQ(m_comp->Status(), TStatusReinf::stIdle);
}

TEST_F(ReinfWebServicesTest, ConsultaPorProtocoloComCadaContribuinte) {
  const struct {
    const char* nome;
    const char* contribuinte;
    const char* tipo;
    const char* numero;
    const char* protocolo = "1.8.202404.0000099";
    const char* protocoloEscrito = "1.8.202404.0000099";
  } casos[] = {
      {"CNPJ", "12345678000195", "1", "12345678"},
      {"CPF", "52998224725", "2", "52998224725"},
      {"vazio", "", "2", ""},
      {"CNPJ com máscara", "12.345.678/0001-95", "2", "12.345.678/0001-95"},
      // Text that would change the request's structure is escaped, never written raw.
      {"valores com & < > e aspas", "A&B<C>", "2", "A&amp;B&lt;C&gt;", "1.8&<x>\"'",
       "1.8&amp;&lt;x&gt;&quot;&#39;"},
  };
  m_resposta = Resposta("ConsultaInformacoesConsolidadasResult",
                        FixtureReinf("retornos/consulta-r5011.xml"));
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    m_envios.clear();
    Config().Geral().SetIdContribuinte(c.contribuinte);
    ASSERT_TRUE(m_comp->Consultar(c.protocolo));
    const std::string campos = std::string("<v1:tipoInscricaoContribuinte>") + c.tipo +
                               "</v1:tipoInscricaoContribuinte><v1:numeroInscricaoContribuinte>" +
                               c.numero +
                               "</v1:numeroInscricaoContribuinte><v1:numeroProtocoloFechamento>" +
                               c.protocoloEscrito + "</v1:numeroProtocoloFechamento>";
    TConsultar& consulta = m_comp->WebServices().Consultar();
    EXPECT_EQ(consulta.DadosMsg(),
              "<consultar" + std::string(kAtributos) + ">" + campos + "</consultar>");
    const std::string envelope = std::string(kEnvelope) + "<v1:ConsultaInformacoesConsolidadas>" +
                                 campos + "</v1:ConsultaInformacoesConsolidadas>" + kFimEnvelope;
    EXPECT_EQ(consulta.EnvelopeSoap(), envelope);
    ASSERT_EQ(m_envios.size(), 1u);
    EXPECT_EQ(m_envios[0].dados, kDeclaracao + envelope);
    EXPECT_EQ(m_envios[0].url, kUrlConsulta);
    EXPECT_EQ(m_envios[0].soapAction,
              "http://sped.fazenda.gov.br/ConsultasReinf/ConsultaInformacoesConsolidadas");
    EXPECT_EQ(consulta.RetConsulta().evtTotalContrib.Id, "ID1123456780000002024041010000000009");
  }
  EXPECT_TRUE(Logou("Versão Layout: 1_04_00 \r\nAmbiente: 2 \r\n"));
  EXPECT_EQ(Arquivos(), (std::vector<std::string>{"ID1123456780000002024041010000000009-R5011.xml",
                                                  "Reinf-ped-sit.xml", "Reinf-sit.xml"}));
  EXPECT_EQ(ReadFile(PastaSalvar() / "Reinf-ped-sit.xml"),
            kDeclaracao + m_comp->WebServices().Consultar().DadosMsg());
  ASSERT_GE(m_hook.size(), 2u);
  EXPECT_EQ(m_hook[0].first, TEventosReinf::erEnvioConsulta);
  EXPECT_EQ(m_hook[1].first, TEventosReinf::erRetornoConsulta);
  EXPECT_EQ(m_status.front(), TStatusReinf::stConsultaLote);
}

TEST_F(ReinfWebServicesTest, ConsultaDoReciboDeUmEvento) {
  m_resposta =
      Resposta("ConsultaReciboEvento2010Result", FixtureReinf("retornos/consulta-recibos.xml"));
  ASSERT_TRUE(m_comp->ConsultaReciboEvento("2024-03", TTipoEvento::teR2010, "12345678000195",
                                           "11222333000181", "", 0));
  TConsultarReciboEvento& consulta = m_comp->WebServices().ConsultarReciboEvento();
  EXPECT_EQ(consulta.tpEventoStr(), "2010");
  ASSERT_EQ(m_envios.size(), 1u);
  EXPECT_EQ(m_envios[0].soapAction,
            "http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento2010");
  EXPECT_EQ(m_envios[0].url, kUrlConsulta);
  const std::string campos =
      "<v1:tipoEvento>2010</v1:tipoEvento><v1:tpInsc>1</v1:tpInsc><v1:nrInsc>12345678</v1:nrInsc>"
      "<v1:perApur>2024-03</v1:perApur><v1:tpInscEstab>1</v1:tpInscEstab>"
      "<v1:nrInscEstab>12345678</v1:nrInscEstab><v1:cnpjPrestador>11222333000181"
      "</v1:cnpjPrestador>";
  EXPECT_EQ(consulta.DadosMsg(),
            "<v1:consultar" + std::string(kAtributos) + ">" + campos + "</v1:consultar>");
  EXPECT_EQ(consulta.EnvelopeSoap(), std::string(kEnvelope) + "<v1:ConsultaReciboEvento2010>" +
                                         campos + "</v1:ConsultaReciboEvento2010>" + kFimEnvelope);
  ASSERT_EQ(consulta.RetConsulta().evtTotalContrib.RetornoEventos.size(), 2u);
  EXPECT_EQ(consulta.RetConsulta().evtTotalContrib.Id, "");
  // Request and reply saved under the type's digits; no R-5011 file.
  EXPECT_EQ(Arquivos(), (std::vector<std::string>{"2010-con.xml", "2010-ped-con.xml"}));

  // A reply without the type's result element leaves the reply empty.
  m_resposta = Resposta("ConsultaReciboEvento2020Result", "<Reinf/>");
  ASSERT_TRUE(m_comp->ConsultaReciboEvento("2024-03", TTipoEvento::teR2010, "", "", "", 0));
  EXPECT_EQ(consulta.RetWS(), "");
  EXPECT_TRUE(consulta.RetConsulta().evtTotalContrib.RetornoEventos.empty());
}

TEST(TReinfConsulta, CamposPorTipoDeEvento) {
  const struct {
    TTipoEvento tipo;
    const char* campos;
  } casos[] = {
      {TTipoEvento::teR1000, ""},
      {TTipoEvento::teR2099, "<v1:perApur>2024-03</v1:perApur>"},
      {TTipoEvento::teR2098, "<v1:perApur>2024-03</v1:perApur>"},
      {TTipoEvento::teR2010,
       "<v1:perApur>2024-03</v1:perApur><v1:tpInscEstab>2</v1:tpInscEstab>"
       "<v1:nrInscEstab>123456789012</v1:nrInscEstab><v1:cnpjPrestador>11222333000181"
       "</v1:cnpjPrestador>"},
      {TTipoEvento::teR2020,
       "<v1:perApur>2024-03</v1:perApur><v1:nrInscEstabPrest>123456789012</v1:nrInscEstabPrest>"
       "<v1:tpInscTomador>1</v1:tpInscTomador><v1:nrInscTomador>55666777</v1:nrInscTomador>"},
      {TTipoEvento::teR2030,
       "<v1:perApur>2024-03</v1:perApur><v1:nrInscEstab>123456789012</v1:nrInscEstab>"},
      {TTipoEvento::teR2040,
       "<v1:perApur>2024-03</v1:perApur><v1:nrInscEstab>123456789012</v1:nrInscEstab>"},
      {TTipoEvento::teR2050,
       "<v1:perApur>2024-03</v1:perApur><v1:nrInscEstab>123456789012</v1:nrInscEstab>"},
      {TTipoEvento::teR2060,
       "<v1:perApur>2024-03</v1:perApur><v1:tpInscEstab>2</v1:tpInscEstab>"
       "<v1:nrInscEstab>123456789012</v1:nrInscEstab>"},
      {TTipoEvento::teR3010,
       "<v1:dtApur>2024-03-17</v1:dtApur><v1:nrInscEstab>123456789012</v1:nrInscEstab>"},
      {TTipoEvento::teR9000, ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(CodigoDoTipoEvento(c.tipo));
    TReinfConsulta consulta;
    consulta.SettipoEvento(c.tipo);
    consulta.SetnrInscContrib("52998224725");
    consulta.SetnrInscEstab("123456789012");
    consulta.SetperApur("2024-03");
    consulta.SetcnpjPrestador("11222333000181");
    consulta.SetnrInscTomador("55666777000188");
    consulta.SetdtApur(encodeDateTime(2024, 3, 17));
    const bool semAlertas = consulta.GerarXML();
    const std::string codigo = CodigoDoTipoEvento(c.tipo).substr(2);
    EXPECT_EQ(consulta.Gerador().ArquivoFormatoXML(),
              "<v1:consultar><v1:tipoEvento>" + codigo +
                  "</v1:tipoEvento><v1:tpInsc>2</v1:tpInsc><v1:nrInsc>52998224725</v1:nrInsc>" +
                  c.campos + "</v1:consultar>");
    // The cut tomador root (8 characters) is shorter than the minimum: an alert, still written.
    EXPECT_EQ(semAlertas, c.tipo != TTipoEvento::teR2020);
  }
}

}  // namespace
}  // namespace luvaro::test
