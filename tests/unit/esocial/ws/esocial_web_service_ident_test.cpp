// The identifier query: the request written from the fields for each kind, a prepared request
// whose namespace names the method, signing and the schema check, file names and the saving
// of the reply per identifier.
#include "esocial/esocial_web_service_ident.h"

#include <fstream>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/process_time_zone.h"
#include "esocial/esocial_exception.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"
#include "tests/unit/esocial/ws/ws_teste.h"

namespace luvaro::test {
namespace {

constexpr const char* kAssinatura =
    "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>";

class TConsultaIdentEventosTest : public WsTeste {
 protected:
  TConsultaIdentEventos& Consulta() { return Ws().ConsultaIdentEventos(); }
  // The signed body verifies with the signer's certificate.
  void ConfereAssinatura() {
    const std::string& corpo = Consulta().DadosMsg();
    EXPECT_NE(corpo.find(kAssinatura), std::string::npos);
    EXPECT_NE(corpo.find("<Reference URI=\"\">"), std::string::npos);
    EXPECT_EQ(corpo.find("<?xml"), std::string::npos);
    std::string erro;
    EXPECT_TRUE(m_comp->SSL().VerificarAssinatura(corpo, erro, "consultaIdentificadoresEvts", "",
                                                  "", "", "ID"))
        << erro;
  }
};

TEST_F(TConsultaIdentEventosTest, RequestOfEachKindFromTheFields) {
  struct Caso {
    const char* nome;
    std::function<bool(TWebServices&)> executar;
    std::string tipo;
    std::string ideEmpregador;
    std::string grupo;
  };
  const Caso casos[] = {
      {"employer",
       [](TWebServices& ws) {
         return ws.ConsultaIdentificadoresEventosEmpregador("12345678000195", TTipoEvento::teS1200,
                                                            Data(2024, 4, 17));
       },
       "empregador", "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<consultaEvtsEmpregador><tpEvt>S-1200</tpEvt><perApur>2024-04</perApur>"
       "</consultaEvtsEmpregador>"},
      {"table, type only",
       [](TWebServices& ws) {
         return ws.ConsultaIdentificadoresEventosTabela("12345678909", TTipoEvento::teS1010, "", 0,
                                                        0);
       },
       "tabela", "<tpInsc>2</tpInsc><nrInsc>12345678909</nrInsc>",
       "<consultaEvtsTabela><tpEvt>S-1010</tpEvt></consultaEvtsTabela>"},
      {"table, key and interval",
       [](TWebServices& ws) {
         return ws.ConsultaIdentificadoresEventosTabela("12345678000195", TTipoEvento::teS1010,
                                                        "RUB01", Data(2024, 1, 1),
                                                        Data(2024, 5, 31, 23, 59, 59));
       },
       "tabela", "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<consultaEvtsTabela><tpEvt>S-1010</tpEvt><chEvt>RUB01</chEvt>"
       "<dtIni>2024-01-01T00:00:00</dtIni><dtFim>2024-05-31T23:59:59</dtFim>"
       "</consultaEvtsTabela>"},
      {"worker",
       [](TWebServices& ws) {
         return ws.ConsultaIdentificadoresEventosTrabalhador(
             "12345678000195", "12345678909", Data(2024, 1, 1, 8), Data(2024, 2, 1, 18, 30));
       },
       "trabalhador", "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<consultaEvtsTrabalhador><cpfTrab>12345678909</cpfTrab>"
       "<dtIni>2024-01-01T08:00:00</dtIni><dtFim>2024-02-01T18:30:00</dtFim>"
       "</consultaEvtsTrabalhador>"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    ASSERT_TRUE(caso.executar(Ws()));
    const std::string& corpo = Consulta().DadosMsg();
    EXPECT_TRUE(corpo.starts_with(
        "<eSocial xmlns=\"http://www.esocial.gov.br/schema/consulta/identificadores-eventos/" +
        caso.tipo + "/v1_0_0\"><consultaIdentificadoresEvts><ideEmpregador>" + caso.ideEmpregador +
        "</ideEmpregador>" + caso.grupo + "</consultaIdentificadoresEvts>" + kAssinatura))
        << corpo;
    ConfereAssinatura();
    std::string metodo = caso.tipo;
    metodo[0] = static_cast<char>(metodo[0] - 32);
    EXPECT_EQ(Consulta().metodoConsulta(), metodo);
    EXPECT_TRUE(m_envios.back().action.ends_with("ConsultarIdentificadoresEventos" + metodo));
  }
}

// The component's time zone becomes the process-wide setting when the call writes its request;
// the request's date-times are written as the writer writes them, without an offset.
TEST_F(TConsultaIdentEventosTest, ConfiguredTimeZoneReachesTheProcessSettingWhenWriting) {
  ProcessTimeZone fuso;
  m_comp->SetTimeZoneProcesso(&fuso);
  TTimeZoneConf& conf = m_comp->Configuracoes().WebServices().TimeZoneConf();
  const struct {
    const char* nome;
    TTimeZoneModoDeteccao modo;
    const char* texto;
  } casos[] = {
      {"manual", TTimeZoneModoDeteccao::tzManual, "-02:00"},
      {"manual, east", TTimeZoneModoDeteccao::tzManual, "+05:30"},
      {"the service's", TTimeZoneModoDeteccao::tzDFe, ""},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    conf.SetModoDeteccao(caso.modo);
    conf.SetTimeZoneStr(caso.texto);
    ASSERT_TRUE(Ws().ConsultaIdentificadoresEventosTrabalhador(
        "12345678000195", "12345678909", Data(2024, 1, 1, 8), Data(2024, 2, 1, 18, 30)));
    EXPECT_EQ(fuso.Atual().ModoDeteccao(), caso.modo);
    EXPECT_EQ(fuso.Atual().TimeZoneStr(), caso.texto);
    EXPECT_NE(Consulta().DadosMsg().find(
                  "<dtIni>2024-01-01T08:00:00</dtIni><dtFim>2024-02-01T18:30:00</dtFim>"),
              std::string::npos)
        << Consulta().DadosMsg();
  }
  m_comp->SetTimeZoneProcesso(nullptr);
}

TEST_F(TConsultaIdentEventosTest, PreparedRequestNamesItsMethodAndStaysForLaterCalls) {
  const std::string preparado = RetornoFixture("consulta-ident-tabela-pedido.xml");
  Consulta().SetXML(preparado);
  ASSERT_TRUE(Consulta().Executar());
  EXPECT_EQ(Consulta().tipoConsulta(), tpConsulta::tcTabela);
  EXPECT_EQ(Consulta().metodoConsulta(), "Tabela");
  EXPECT_EQ(m_envios[0].action,
            "http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/"
            "v1_0_0/ServicoConsultarIdentificadoresEventos/ConsultarIdentificadoresEventosTabela");
  EXPECT_NE(m_envios[0].envelope.find("<soap:Body><v1:ConsultarIdentificadoresEventosTabela>"
                                      "<v1:consultaEventosTabela><eSocial xmlns="),
            std::string::npos);
  // The prepared declaration does not end up inside the SOAP body.
  EXPECT_EQ(m_envios[0].envelope.find("<?xml"), std::string::npos);
  ConfereAssinatura();
  EXPECT_NE(Consulta().DadosMsg().find("<chEvt>RUB01</chEvt>"), std::string::npos);

  // A typed query still sends the prepared request while it is set.
  ASSERT_TRUE(
      Ws().ConsultaIdentificadoresEventosEmpregador("12345678000195", TTipoEvento::teS1200, 0));
  EXPECT_EQ(Consulta().XML(), preparado);
  EXPECT_EQ(Consulta().metodoConsulta(), "Tabela");
  EXPECT_NE(Consulta().DadosMsg().find("<consultaEvtsTabela>"), std::string::npos);
}

TEST_F(TConsultaIdentEventosTest, KindOfAPreparedRequestFromItsNamespace) {
  struct Caso {
    const char* nome;
    std::string namespaceFinal;
    tpConsulta tipo;
  };
  const Caso casos[] = {
      {"worker", "identificadores-eventos/trabalhador/v1_0_0\"", tpConsulta::tcTrabalhador},
      {"upper case", "identificadores-eventos/TABELA/v1_0_0\"", tpConsulta::tcTabela},
      {"unknown kind", "identificadores-eventos/outro/v1_0_0\"", tpConsulta::tcEmpregador},
      {"no kind", "consulta/v1_0_0\"", tpConsulta::tcEmpregador},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    Consulta().SettipoConsulta(tpConsulta::tcTabela);
    Consulta().SetXML("<eSocial xmlns=\"http://www.esocial.gov.br/schema/consulta/" +
                      caso.namespaceFinal + "><consultaIdentificadoresEvts/></eSocial>");
    // These documents fail the schema check; the kind is taken before it.
    EXPECT_THROW(Consulta().Executar(), EeSocialException);
    EXPECT_EQ(Consulta().tipoConsulta(), caso.tipo);
    EXPECT_TRUE(m_envios.empty());
  }
}

TEST_F(TConsultaIdentEventosTest, RequestFailingItsSchemaIsNotSent) {
  try {
    Ws().ConsultaIdentificadoresEventosTrabalhador("12345678000195", "123", Data(2024, 1, 1),
                                                   Data(2024, 2, 1));
    FAIL() << "an invalid request must raise";
  } catch (const EeSocialException& e) {
    EXPECT_NE(std::string(e.what()).find("cpfTrab"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(m_envios.empty());
  EXPECT_EQ(m_comp->Status(), TStatuseSocial::stIdle);
}

TEST_F(TConsultaIdentEventosTest, ReplyIsSavedOncePerIdentifier) {
  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  const std::string retorno = RetornoFixture("consulta-ident-tres.xml");
  m_resposta = RespostaSoap("ConsultarIdentificadoresEventosEmpregador", retorno);
  ASSERT_TRUE(Ws().ConsultaIdentificadoresEventosEmpregador("12345678000195", TTipoEvento::teS1200,
                                                            Data(2024, 4, 1)));
  std::vector<std::string> salvos = Salvos();
  ASSERT_EQ(salvos.size(), 5u);
  for (int i = 1; i <= 3; ++i) {
    const std::string nome = "ID112345678000000202405101403000000" + std::to_string(i) +
                             "-S-120012345678000195" + "04-2024.xml";
    SCOPED_TRACE(nome);
    EXPECT_EQ(salvos[i - 1], nome);
    EXPECT_NE(Salvo(nome).find(retorno), std::string::npos);
  }
}

TEST_F(TConsultaIdentEventosTest, LoadFromFile) {
  const auto arquivo = m_dir / "pedido.xml";
  WriteFile(arquivo, "\xEF\xBB\xBF<eSocial/>");
  EXPECT_TRUE(Consulta().loadFromFile(arquivo.string()));
  EXPECT_EQ(Consulta().XML(), "<eSocial/>");
  WriteFile(arquivo, "");
  EXPECT_FALSE(Consulta().loadFromFile(arquivo.string()));
  EXPECT_THROW(Consulta().loadFromFile((m_dir / "nenhum.xml").string()), EeSocialException);
}

}  // namespace
}  // namespace luvaro::test
