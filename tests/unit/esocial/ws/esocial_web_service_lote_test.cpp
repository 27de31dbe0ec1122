// The send-lot and lot-query calls: registrations in the lot, the lot-query body byte for
// byte, the send call's action and error text, and the totalizers saved from a query.
#include "esocial/esocial_web_service_lote.h"

#include "dfe/dfe_exception.h"
#include "esocial/eventos.h"
#include "tests/unit/esocial/esocial_teste.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"
#include "tests/unit/esocial/ws/ws_teste.h"

namespace luvaro::test {
namespace {

using TEnvioLoteTest = WsTeste;

// The text between `inicio` and the next `fim`, both included.
std::string Trecho(const std::string& texto, const std::string& inicio, const std::string& fim) {
  const std::size_t a = texto.find(inicio);
  if (a == std::string::npos) return {};
  const std::size_t b = texto.find(fim, a);
  return b == std::string::npos ? std::string() : texto.substr(a, b + fim.size() - a);
}

TEST_F(TEnvioLoteTest, RegistrationsOfEmployerAndTransmitter) {
  struct Caso {
    const char* nome;
    std::string empregador;
    TEmpregador tipo;
    std::string transmissor;
    std::string ideEmpregador;
    std::string ideTransmissor;
  };
  const Caso casos[] = {
      {"company", "12345678000195", TEmpregador::tePessoaJuridica, "12345678000195",
       "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc>"},
      {"11 digits, company kind", "12345678909", TEmpregador::tePessoaJuridica, "12345678909",
       "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<tpInsc>2</tpInsc><nrInsc>12345678909</nrInsc>"},
      {"11 digits, person", "12345678909", TEmpregador::tePessoaFisica, "12345678000195",
       "<tpInsc>2</tpInsc><nrInsc>12345678909</nrInsc>",
       "<tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc>"},
      {"14 digits, person kind", "12345678000195", TEmpregador::tePessoaFisica, "12345678909",
       "<tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>",
       "<tpInsc>2</tpInsc><nrInsc>12345678909</nrInsc>"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    TGeralConfeSocial& geral = m_comp->Configuracoes().Geral();
    geral.SetIdEmpregador(caso.empregador);
    geral.SetTipoEmpregador(caso.tipo);
    geral.SetIdTransmissor(caso.transmissor);
    ASSERT_TRUE(m_comp->Enviar(3));
    const std::string& lote = Ws().EnvioLote().DadosMsg();
    EXPECT_EQ(Trecho(lote, "<ideEmpregador>", "</ideEmpregador>"),
              "<ideEmpregador>" + caso.ideEmpregador + "</ideEmpregador>");
    EXPECT_EQ(Trecho(lote, "<ideTransmissor>", "</ideTransmissor>"),
              "<ideTransmissor>" + caso.ideTransmissor + "</ideTransmissor>");
  }
}

TEST_F(TEnvioLoteTest, EmptyContainerSendsAnEmptyLotWithTheDeclaration) {
  ASSERT_TRUE(m_comp->Enviar(1));
  const std::string& lote = Ws().EnvioLote().DadosMsg();
  EXPECT_EQ(lote, Ws().EnvioLote().Lote().XML());
  EXPECT_NE(lote.find("<envioLoteEventos grupo=\"1\">"), std::string::npos);
  EXPECT_NE(lote.find("<eventos></eventos>"), std::string::npos);
  EXPECT_EQ(m_envios[0].envelope,
            std::string(kDeclaracao) + "<soap:Envelope " + kAtributosLote +
                "><soap:Body><v1:EnviarLoteEventos><v1:loteEventos>" + lote +
                "</v1:loteEventos></v1:EnviarLoteEventos></soap:Body></soap:Envelope>");
}

TEST_F(TEnvioLoteTest, SignedEventsGoWithoutDeclarationAndTheLotIsKept) {
  const std::string evento =
      DocumentoAssinado("evtTabRubrica", "ID1123456780000002024030112000000009");
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(evento));
  ASSERT_TRUE(m_comp->Enviar(2));
  const std::string& lote = Ws().EnvioLote().DadosMsg();
  EXPECT_NE(
      lote.find("<evento Id=\"ID1123456780000002024030112000000009\"> " + evento + "</evento>"),
      std::string::npos);
  EXPECT_TRUE(m_envios[0].envelope.starts_with("<soap:Envelope  xmlns:soap="));
  // The saved request is the lot itself.
  std::string pedido;
  for (const std::string& nome : Salvos()) {
    if (nome.ends_with("-env-lot.xml")) pedido = nome;
  }
  ASSERT_FALSE(pedido.empty());
  EXPECT_NE(Salvo(pedido).find(lote), std::string::npos);
}

TEST_F(TEnvioLoteTest, ActionIsTrimmedAndTheErrorNamesTheServiceWithItsBlank) {
  m_erroInterno = 12029;
  try {
    m_comp->Enviar(1);
    FAIL() << "a failed transmission must raise";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(),
                 "WebService:  http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/"
                 "v1_1_0/ServicoEnviarLoteEventos/EnviarLoteEventos\r\n"
                 "- Inativo ou Inoperante tente novamente.\r\nErro ao Transmitir");
  }
  ASSERT_EQ(m_envios.size(), 1u);
  EXPECT_EQ(m_envios[0].action,
            "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
            "ServicoEnviarLoteEventos/EnviarLoteEventos");
  EXPECT_EQ(Ws().EnvioLote().Servico().front(), ' ');
}

using TConsultaLoteTest = WsTeste;

TEST_F(TConsultaLoteTest, BodyIsTheQueryDocumentAndNothingElse) {
  ASSERT_TRUE(m_comp->Consultar("1.2.202405.0000000000012345678"));
  const std::string corpo =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/"
      "retornoProcessamento/v1_0_0\"><consultaLoteEventos><protocoloEnvio>"
      "1.2.202405.0000000000012345678</protocoloEnvio></consultaLoteEventos></eSocial>";
  EXPECT_EQ(Ws().ConsultaLote().DadosMsg(), corpo);
  EXPECT_EQ(m_envios[0].envelope,
            std::string(kDeclaracao) + "<soap:Envelope " + kAtributosLote +
                "><soap:Body><v1:ConsultarLoteEventos><v1:loteEventos>" + corpo +
                "</v1:loteEventos></v1:ConsultarLoteEventos></soap:Body></soap:Envelope>");
  EXPECT_EQ(Salvos(), (std::vector<std::string>{"eSocial-ped-sit.xml", "eSocial-sit.xml"}));
  // A protocol can never change the request's structure.
  ASSERT_TRUE(m_comp->Consultar("1</protocoloEnvio><x>"));
  EXPECT_NE(Ws().ConsultaLote().DadosMsg().find("1&lt;/protocoloEnvio&gt;&lt;x&gt;"),
            std::string::npos);
}

TEST_F(TConsultaLoteTest, FailureKeepsTheFrameworkText) {
  m_erroInterno = 12002;
  try {
    m_comp->Consultar("1");
    FAIL() << "a failed transmission must raise";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(), "\r\nErro ao Transmitir");
  }
}

TEST_F(TConsultaLoteTest, TotalizersAreSavedOnlyWhenArquivosSalvarIsOn) {
  m_resposta =
      RespostaSoap("ConsultarLoteEventos", RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(m_comp->Consultar("1"));
  EXPECT_EQ(Salvos().size(), 2u);

  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  ASSERT_TRUE(m_comp->Consultar("1"));
  const std::string id = "ID1123456780000002024051014030000001";
  EXPECT_EQ(Salvos(),
            (std::vector<std::string>{id + "-S5001.xml", id + "-S5011.xml", id + "-S5501.xml",
                                      "eSocial-ped-sit.xml", "eSocial-sit.xml"}));
  const auto& tot = Ws().ConsultaLote().RetConsultaLote().RetEventos()[0].tot;
  EXPECT_NE(Salvo(id + "-S5011.xml").find(tot[1].XML), std::string::npos);
}

TEST_F(TConsultaLoteTest, TotalizerNamesFromTheReplyStayInTheSaveFolder) {
  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  m_resposta = RespostaSoap(
      "ConsultarLoteEventos",
      "<eSocial><retornoProcessamentoLoteEventos><status><cdResposta>201</cdResposta></status>"
      "<retornoEventos><evento Id=\"../../fora\"><tot tipo=\"S5001/..\"><eSocial><evtBasesTrab "
      "Id=\"ID9\"></evtBasesTrab></eSocial></tot></evento></retornoEventos>"
      "</retornoProcessamentoLoteEventos></eSocial>");
  ASSERT_TRUE(m_comp->Consultar("1"));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "fora-S5001"));
  const std::vector<std::string> salvos = Salvos();
  ASSERT_EQ(salvos.size(), 3u);
  EXPECT_NE(salvos[0].find("fora-S5001"), std::string::npos) << salvos[0];
  EXPECT_EQ(salvos[0].find(".."), std::string::npos) << salvos[0];
}

}  // namespace
}  // namespace luvaro::test
