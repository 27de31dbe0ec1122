// The download reply: the receipt's document replaces the event's when both come, each
// document is kept whole, and a refused item keeps only its status.
#include "esocial/retorno_download.h"

#include <gtest/gtest.h>

#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::RetornoFixture;

TEST(TRetDownloadEvt, EachRequestedEventIsAnItem) {
  TRetDownloadEvt ret;
  ret.Leitor().SetArquivo(RetornoFixture("download-evt-rec.xml"));
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 201);
  ASSERT_EQ(ret.Arquivo().size(), 3u);

  const TArquivoItem& ambos = ret.Arquivo()[0];
  EXPECT_EQ(ambos.Status.cdResposta, 201);
  EXPECT_EQ(ambos.Id, "ID1123456780000002024051014030000001");
  EXPECT_EQ(ambos.nrRec, "1.2.0000000000098765432");
  // The receipt document whole: its "</recepcao>" and "</recibo>" do not end it.
  EXPECT_EQ(ambos.XML,
            "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/retornoEvento/v1_2_1\">"
            "<retornoEvento Id=\"ID1123456780000002024051014030000001\"><recepcao><tpAmb>2"
            "</tpAmb></recepcao><recibo><nrRecibo>1.2.0000000000098765432</nrRecibo></recibo>"
            "</retornoEvento></eSocial>");

  const TArquivoItem& evento = ret.Arquivo()[1];
  EXPECT_EQ(evento.Id, "ID1123456780000002024051014030000009");
  EXPECT_EQ(evento.nrRec, "");
  // The event document whole: its "</evtTabRubrica>" does not end it.
  EXPECT_EQ(evento.XML,
            "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtTabRubrica/v02_05_00\">"
            "<evtTabRubrica Id=\"ID1123456780000002024051014030000009\"><ideEvento><tpAmb>2"
            "</tpAmb></ideEvento></evtTabRubrica></eSocial>");

  const TArquivoItem& recusado = ret.Arquivo()[2];
  EXPECT_EQ(recusado.Status.cdResposta, 401);
  EXPECT_EQ(recusado.Status.descResposta, "Evento não encontrado.");
  EXPECT_EQ(recusado.Id, "");
  EXPECT_EQ(recusado.XML, "");
}

}  // namespace
}  // namespace luvaro
