// The download call: by identifier or by receipt, the registration cut to its root, trimmed
// values, the signed request, and the documents saved under safe names.
#include "esocial/esocial_web_service_download.h"

#include "dfe/ssl/dfe_ssl.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"
#include "tests/unit/esocial/ws/ws_teste.h"

namespace luvaro::test {
namespace {

using TDownloadEventosTest = WsTeste;

TEST_F(TDownloadEventosTest, RequestByIdentifierOrByReceipt) {
  struct Caso {
    const char* nome;
    std::string cnpj, id, recibo;
    std::string tipo;
    std::string corpo;  // the request before its signature
  };
  const std::string porRecibo =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/download/solicitacao/nrRecibo/v1_0_0\">";
  const std::string porId =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/download/solicitacao/id/v1_0_0\">";
  const Caso casos[] = {
      {"company by receipt", "12345678000195", "", "  1.2.0000000000098765432 ", "PorNrRecibo",
       porRecibo + "<download><ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>"
                   "</ideEmpregador><solicDownloadEventosPorNrRecibo><nrRec>"
                   "1.2.0000000000098765432</nrRec></solicDownloadEventosPorNrRecibo></download>"},
      {"person by identifier", "12345678909", " ID1123456780000002024051014030000001\t", "x",
       "PorId",
       porId + "<download><ideEmpregador><tpInsc>2</tpInsc><nrInsc>12345678909</nrInsc>"
               "</ideEmpregador><solicDownloadEvtsPorId><id>"
               "ID1123456780000002024051014030000001</id></solicDownloadEvtsPorId></download>"},
      {"root given", "12345678", "", "1.2.3", "PorNrRecibo",
       porRecibo + "<download><ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>"
                   "</ideEmpregador><solicDownloadEventosPorNrRecibo><nrRec>1.2.3</nrRec>"
                   "</solicDownloadEventosPorNrRecibo></download>"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    ASSERT_TRUE(m_comp->DownloadEventos(caso.cnpj, caso.id, caso.recibo));
    TDownloadEventos& d = Ws().DownloadEventos();
    EXPECT_EQ(d.TipoDownload(), caso.tipo);
    EXPECT_TRUE(d.DadosMsg().starts_with(
        caso.corpo + "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"))
        << d.DadosMsg();
    EXPECT_NE(d.DadosMsg().find("<Reference URI=\"\">"), std::string::npos);
    std::string erro;
    EXPECT_TRUE(m_comp->SSL().VerificarAssinatura(d.DadosMsg(), erro, "eSocial", "", "", "", "ID"))
        << erro;
    EXPECT_EQ(m_envios.back().action,
              "http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0/"
              "ServicoSolicitarDownloadEventos/SolicitarDownloadEventos" +
                  caso.tipo);
    EXPECT_NE(m_envios.back().envelope.find("<soap:Body><v1:SolicitarDownloadEventos" + caso.tipo +
                                            "><v1:solicitacao>" + d.DadosMsg() +
                                            "</v1:solicitacao></v1:SolicitarDownloadEventos" +
                                            caso.tipo + "></soap:Body>"),
              std::string::npos);
  }
}

TEST_F(TDownloadEventosTest, DownloadedDocumentsAreSavedByReceiptOrIdentifier) {
  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  m_resposta =
      RespostaSoap("SolicitarDownloadEventosPorNrRecibo", RetornoFixture("download-evt-rec.xml"));
  ASSERT_TRUE(Ws().DownloadEvento("12345678000195", "", "1.2.0000000000098765432"));
  const auto& arquivos = Ws().DownloadEventos().RetDownloadEvt().Arquivo();
  ASSERT_EQ(arquivos.size(), 3u);
  // Beside the request and the reply, one file per document: the receipt's under its number,
  // the event alone under its identifier, nothing for the refused item.
  EXPECT_EQ(Salvos().size(), 4u);
  EXPECT_NE(Salvo("1.2.0000000000098765432-down.xml").find(arquivos[0].XML), std::string::npos);
  EXPECT_NE(Salvo("ID1123456780000002024051014030000009-down.xml").find(arquivos[1].XML),
            std::string::npos);
}

TEST_F(TDownloadEventosTest, NamesFromTheReplyStayInTheSaveFolder) {
  m_comp->Configuracoes().Arquivos().SetSalvar(true);
  m_resposta = RespostaSoap(
      "SolicitarDownloadEventosPorId",
      "<eSocial><download><status><cdResposta>201</cdResposta></status><retornoSolicDownloadEvts>"
      "<arquivos><arquivo><status><cdResposta>201</cdResposta></status>"
      "<rec nrRec=\"../../../etc/passwd\"><eSocial>x</eSocial></rec></arquivo></arquivos>"
      "</retornoSolicDownloadEvts></download></eSocial>");
  ASSERT_TRUE(Ws().DownloadEvento("12345678000195", "ID1", ""));
  const std::vector<std::string> salvos = Salvos();
  ASSERT_EQ(salvos.size(), 3u);
  EXPECT_NE(salvos[0].find("etc_passwd-down.xml"), std::string::npos) << salvos[0];
  EXPECT_EQ(salvos[0].find(".."), std::string::npos) << salvos[0];
}

}  // namespace
}  // namespace luvaro::test
