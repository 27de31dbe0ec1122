// TWebServices: the operations set their call's fields after Clear, replies start empty at
// every call, and a failure the log hook handles still runs the error path with Msg.
#include "esocial/esocial_web_services.h"

#include "tests/unit/esocial/retornos/retorno_teste.h"
#include "tests/unit/esocial/ws/ws_teste.h"

namespace luvaro::test {
namespace {

using TWebServicesTest = WsTeste;

TEST_F(TWebServicesTest, ClearKeepsTheCallsFieldsAndRenewsTheReply) {
  m_resposta =
      RespostaSoap("ConsultarLoteEventos", RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(Ws().Consultar("1.2.3"));
  EXPECT_EQ(Ws().ConsultaLote().RetConsultaLote().RetEventos().size(), 2u);
  Ws().ConsultaLote().Clear();
  EXPECT_EQ(Ws().ConsultaLote().Protocolo(), "1.2.3");
  EXPECT_TRUE(Ws().ConsultaLote().RetConsultaLote().RetEventos().empty());
  EXPECT_EQ(Ws().ConsultaLote().RetWS(), "");

  TConsultaIdentEventos& c = Ws().ConsultaIdentEventos();
  c.SetXML("<x/>");
  c.SetchEvt("K");
  c.Clear();
  EXPECT_EQ(c.XML(), "<x/>");
  EXPECT_EQ(c.chEvt(), "K");
  EXPECT_EQ(c.Status(), TStatuseSocial::stConsultaIdentEvt);
}

TEST_F(TWebServicesTest, HandledFailureRunsTheErrorPathAgainAndReturnsFalse) {
  m_comp->SetOnGerarLog([this](const std::string& linha, bool& tratado) {
    m_log.push_back(linha);
    tratado = linha.starts_with("ERRO: ");
  });
  m_erroInterno = 12002;
  EXPECT_FALSE(m_comp->Enviar(1));
  std::vector<std::string> erros;
  for (const std::string& linha : m_log) {
    if (linha.starts_with("ERRO: ")) erros.push_back(linha);
  }
  ASSERT_EQ(erros.size(), 2u);
  EXPECT_TRUE(erros[0].ends_with("- Inativo ou Inoperante tente novamente.\r\nErro ao Transmitir"));
  EXPECT_EQ(erros[1], "ERRO: ");  // Msg stays empty in every eSocial call
  EXPECT_EQ(m_comp->Status(), TStatuseSocial::stIdle);
}

}  // namespace
}  // namespace luvaro::test
