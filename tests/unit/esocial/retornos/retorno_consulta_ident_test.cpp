// The identifier-query reply: every identificadorEvt of the service, an answer without any,
// and groups that carry their identifier directly.
#include "esocial/retorno_consulta_ident.h"

#include <gtest/gtest.h>

#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::Data;
using test::RetornoFixture;

TEST(TRetConsultaIdentEvt, EveryIdentifierOfTheAnswerIsAnItem) {
  TRetConsultaIdentEvt ret;
  ret.Leitor().SetArquivo(RetornoFixture("consulta-ident-tres.xml"));
  ASSERT_TRUE(ret.LerXml());
  EXPECT_EQ(ret.Status().cdResposta, 201);
  EXPECT_EQ(ret.Status().descResposta, "Consulta realizada com sucesso.");
  const TRetIdentEvtsCollection& evts = ret.RetIdentEvts();
  EXPECT_EQ(evts.qtdeTotEvtsConsulta, 3);
  EXPECT_DOUBLE_EQ(evts.dhUltimoEvtRetornado, Data(2024, 5, 10));
  ASSERT_EQ(evts.Count(), 3);
  EXPECT_EQ(evts.Items[0].Id, "ID1123456780000002024051014030000001");
  EXPECT_EQ(evts.Items[0].nrRec, "1.2.0000000000098765432");
  EXPECT_EQ(evts.Items[2].Id, "ID1123456780000002024051014030000003");
  EXPECT_EQ(evts.Items[2].nrRec, "1.2.0000000000098765434");
}

TEST(TRetConsultaIdentEvt, ShapesOfTheIdentifierList) {
  struct Caso {
    const char* nome;
    std::string lista;  // content of retornoIdentificadoresEvts after its count
    std::vector<std::string> recibos;
  };
  const Caso casos[] = {
      {"none found", "", {}},
      {"empty group", "<identificadoresEvts></identificadoresEvts>", {}},
      {"one item",
       "<identificadoresEvts><identificadorEvt><id>ID1</id><nrRec>R1</nrRec>"
       "</identificadorEvt></identificadoresEvts>",
       {"R1"}},
      {"groups holding their identifier",
       "<identificadoresEvts><id>ID1</id><nrRec>R1</nrRec></identificadoresEvts>"
       "<identificadoresEvts><id>ID2</id><nrRec>R2</nrRec></identificadoresEvts>",
       {"R1", "R2"}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    TRetConsultaIdentEvt ret;
    ret.Leitor().SetArquivo(
        "<eSocial><retornoConsultaIdentificadoresEvts><status><cdResposta>202</cdResposta>"
        "</status><retornoIdentificadoresEvts><qtdeTotEvtsConsulta>0</qtdeTotEvtsConsulta>" +
        caso.lista +
        "</retornoIdentificadoresEvts></retornoConsultaIdentificadoresEvts></eSocial>");
    EXPECT_TRUE(ret.LerXml());
    EXPECT_EQ(ret.Status().cdResposta, 202);
    std::vector<std::string> recibos;
    for (const TRetIdentEvtsItem& item : ret.RetIdentEvts().Items) recibos.push_back(item.nrRec);
    EXPECT_EQ(recibos, caso.recibos);
  }
}

}  // namespace
}  // namespace luvaro
