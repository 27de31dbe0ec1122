// The six totalizer readers behind IEventoeSocial: the factory by tipo, the groups of each
// kind, and the document text that reads itself when it changes.
#include "esocial/retorno_totalizador.h"

#include <gtest/gtest.h>

#include "esocial/retorno_consulta_lote.h"
#include "esocial/retorno_s5001.h"
#include "esocial/retorno_s5002.h"
#include "esocial/retorno_s5003.h"
#include "esocial/retorno_s5011.h"
#include "esocial/retorno_s5012.h"
#include "esocial/retorno_s5013.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::Data;
using test::RetornoFixture;

// The reader of a tot's tipo, given its document.
template <typename T>
std::shared_ptr<T> Ler(const std::string& tipo, const std::string& fixture) {
  std::shared_ptr<IEventoeSocial> evento = CriarEventoTotalizador(tipo);
  EXPECT_NE(evento, nullptr);
  if (!evento) return nullptr;
  evento->SetXml(RetornoFixture(fixture));
  return std::dynamic_pointer_cast<T>(evento);
}

TEST(TotalizadoreSocial, FactoryKnowsTheSixKindsOnly) {
  struct Caso {
    std::string tipo;
    bool conhecido;
    TTipoEvento evento;
    const char* raiz;
  };
  const Caso casos[] = {
      {"S5001", true, TTipoEvento::teS5001, "evtBasesTrab"},
      {"S5002", true, TTipoEvento::teS5002, "evtIrrfBenef"},
      {"S5003", true, TTipoEvento::teS5003, "evtBasesFGTS"},
      {"S5011", true, TTipoEvento::teS5011, "evtCS"},
      {"S5012", true, TTipoEvento::teS5012, "evtIrrf"},
      {"S5013", true, TTipoEvento::teS5013, "evtFGTS"},
      {"S5501", false, {}, ""},
      {"s5001", false, {}, ""},
      {"S-5001", false, {}, ""},
      {"", false, {}, ""},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.tipo);
    const auto evento = CriarEventoTotalizador(caso.tipo);
    ASSERT_EQ(evento != nullptr, caso.conhecido);
    if (!evento) continue;
    EXPECT_EQ(evento->TipoEvento(), caso.evento);
    EXPECT_EQ(evento->GetEvento().ElementoRaiz(), caso.raiz);
    EXPECT_EQ(evento->Xml(), "");
  }
}

TEST(TotalizadoreSocial, WritingADifferentTextReadsItAtOnce) {
  const auto evento = CriarEventoTotalizador("S5012");
  evento->SetXml(RetornoFixture("s5012-irrf-contribuinte.xml"));
  EXPECT_EQ(evento->GetEvento().Id(), "ID1123456780000002024051014050100006");
  EXPECT_EQ(evento->GetEvento().IdeEmpregador().TpInsc(), tpTpInsc::tiCPF);
  evento->SetXml(
      "<eSocial><evtIrrf Id=\"ID9\"><ideEvento><perApur>2025-01</perApur>"
      "</ideEvento></evtIrrf></eSocial>");
  EXPECT_EQ(evento->GetEvento().Id(), "ID9");
  EXPECT_EQ(evento->GetEvento().IdeEvento().perApur, "2025-01");
  EXPECT_TRUE(dynamic_cast<TS5012&>(*evento).EvtIrrf().InfoIRRF().infoCRContrib.empty());
  // A document of another root leaves the objects empty.
  evento->SetXml("<eSocial><evtCS Id=\"ID8\"/></eSocial>");
  EXPECT_EQ(evento->GetEvento().Id(), "");
  EXPECT_EQ(evento->Xml(), "<eSocial><evtCS Id=\"ID8\"/></eSocial>");
}

TEST(TotalizadoreSocial, S5001BasesPerEstablishmentAndCategory) {
  TRetConsultaLote ret;
  ret.Leitor().SetArquivo(RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(ret.LerXml());
  auto& evt = dynamic_cast<TS5001&>(*ret.RetEventos()[0].tot[0].Evento).EvtBasesTrab();
  EXPECT_EQ(evt.IdeEvento().nrRecArqBase, "1.2.0000000000098765432");
  EXPECT_EQ(evt.IdeEvento().IndApuracao, tpIndApuracao::iapuMensal);
  EXPECT_EQ(evt.IdeEvento().perApur, "2024-04");
  EXPECT_EQ(evt.IdeTrabalhador().cpfTrab, "12345678909");
  ASSERT_EQ(evt.IdeTrabalhador().procJudTrab.size(), 2u);
  EXPECT_EQ(evt.IdeTrabalhador().procJudTrab[1].codSusp, 2);
  ASSERT_EQ(evt.InfoCpCalc().size(), 1u);
  EXPECT_EQ(evt.InfoCpCalc()[0].tpCR, 108201);
  EXPECT_DOUBLE_EQ(evt.InfoCpCalc()[0].vrCpSeg, 385.0);
  ASSERT_EQ(evt.InfoCp().ideEstabLot.size(), 1u);
  const TIdeEstabLot5001& estab = evt.InfoCp().ideEstabLot[0];
  EXPECT_EQ(estab.codLotacao, "LOT01");
  ASSERT_EQ(estab.infoCategIncid.size(), 2u);
  EXPECT_EQ(estab.infoCategIncid[0].matricula, "MAT-0042");
  ASSERT_EQ(estab.infoCategIncid[0].infoBaseCS.size(), 2u);
  EXPECT_EQ(estab.infoCategIncid[0].infoBaseCS[1].ind13, 1);
  EXPECT_EQ(estab.infoCategIncid[0].infoBaseCS[1].tpValor, 21);
  EXPECT_DOUBLE_EQ(estab.infoCategIncid[0].infoBaseCS[1].valor, 12.5);
  ASSERT_EQ(estab.infoCategIncid[0].calcTerc.size(), 1u);
  EXPECT_DOUBLE_EQ(estab.infoCategIncid[0].calcTerc[0].vrCsSegTerc, 203.04);
  EXPECT_EQ(estab.infoCategIncid[1].matricula, "");
  EXPECT_EQ(estab.infoCategIncid[1].indSimples, 3);
  EXPECT_EQ(estab.infoCategIncid[1].infoBaseCS.size(), 1u);
  EXPECT_TRUE(estab.infoCategIncid[1].calcTerc.empty());
}

TEST(TotalizadoreSocial, S5011ContributionsPerEstablishmentAndLotacao) {
  TRetConsultaLote ret;
  ret.Leitor().SetArquivo(RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(ret.LerXml());
  const TInfoCS& cs = dynamic_cast<TS5011&>(*ret.RetEventos()[0].tot[1].Evento).EvtCS().InfoCS();
  EXPECT_EQ(cs.nrRecArqBase, "1.2.0000000000098765499");
  EXPECT_EQ(cs.indExistInfo, 1);
  EXPECT_DOUBLE_EQ(cs.infoCPSeg.vrCpSeg, 385.0);
  EXPECT_EQ(cs.infoContrib.classTrib, "99");
  EXPECT_DOUBLE_EQ(cs.infoContrib.infoPJ.percRedContrib, 12.5);
  EXPECT_DOUBLE_EQ(cs.infoContrib.infoPJ.infoAtConc.fatorMes, 0.75);
  ASSERT_EQ(cs.ideEstab.size(), 2u);
  const TIdeEstab5011& e1 = cs.ideEstab[0];
  EXPECT_EQ(e1.infoEstab.cnaePrep, 6201501);
  EXPECT_DOUBLE_EQ(e1.infoEstab.fap, 0.5);
  EXPECT_EQ(e1.infoEstab.infoComplObra.indSubstPatrObra, 2);
  ASSERT_EQ(e1.ideLotacao.size(), 1u);
  EXPECT_EQ(e1.ideLotacao[0].fpas, 515);
  EXPECT_EQ(e1.ideLotacao[0].codTercs, "0115");
  ASSERT_EQ(e1.ideLotacao[0].basesRemun.size(), 2u);
  EXPECT_DOUBLE_EQ(e1.ideLotacao[0].basesRemun[0].basesCp.vrBcCp00, 3500.75);
  EXPECT_DOUBLE_EQ(e1.ideLotacao[0].basesRemun[0].basesCp.vrSalMat, 1200.10);
  EXPECT_EQ(e1.ideLotacao[0].basesRemun[1].codCateg, 701);
  EXPECT_DOUBLE_EQ(e1.ideLotacao[0].basesAvNPort.vrDescCP, 3.33);
  ASSERT_EQ(e1.infoCREstab.size(), 1u);
  EXPECT_DOUBLE_EQ(e1.infoCREstab[0].vrCR, 700.15);
  const TIdeEstab5011& e2 = cs.ideEstab[1];
  EXPECT_EQ(e2.tpInsc, tpTpInsc::tiCNO);
  EXPECT_TRUE(e2.ideLotacao.empty());
  ASSERT_EQ(e2.basesAquis.size(), 1u);
  EXPECT_DOUBLE_EQ(e2.basesAquis[0].vrSenarCalc, 9.0);
  ASSERT_EQ(e2.basesComerc.size(), 1u);
  EXPECT_DOUBLE_EQ(e2.basesComerc[0].vrBcComPR, 250.50);
  ASSERT_EQ(cs.infoCRContrib.size(), 2u);
  EXPECT_EQ(cs.infoCRContrib[1].tpCR, 158201);
  EXPECT_DOUBLE_EQ(cs.infoCRContrib[1].vrCRSusp, 1.0);
}

TEST(TotalizadoreSocial, S5002IncomeTaxOfTheBeneficiary) {
  const auto s = Ler<TS5002>("S5002", "s5002-irrf-beneficiario.xml");
  ASSERT_NE(s, nullptr);
  const TEvtIrrfBenef& evt = s->EvtirrfBenef();
  EXPECT_EQ(evt.Id(), "ID1123456780000002024051014050100004");
  EXPECT_EQ(evt.IdeEvento().nrRecArqBase, "1.2.0000000000011111111");
  EXPECT_DOUBLE_EQ(evt.InfoDep().vrDedDep, 189.59);
  ASSERT_EQ(evt.InfoIrrf().size(), 2u);
  const TInfoIrrf5002& i1 = evt.InfoIrrf()[0];
  EXPECT_EQ(i1.codCateg, 101);
  EXPECT_EQ(i1.indResBr, tpSimNao::tpNao);
  ASSERT_EQ(i1.basesIrrf.size(), 2u);
  EXPECT_DOUBLE_EQ(i1.basesIrrf[1].valor, 550.0);
  ASSERT_EQ(i1.irrf.size(), 1u);
  EXPECT_EQ(i1.irrf[0].tpCR, 56107);
  EXPECT_EQ(i1.idePgtoExt.idePais.nifBenef, "NIF-77");
  EXPECT_EQ(i1.idePgtoExt.endExt.nmCid, "Lisboa");
  EXPECT_EQ(i1.idePgtoExt.endExt.complem, "");
  EXPECT_EQ(evt.InfoIrrf()[1].indResBr, tpSimNao::tpSim);
  EXPECT_TRUE(evt.InfoIrrf()[1].irrf.empty());
}

TEST(TotalizadoreSocial, S5003FgtsOfTheWorker) {
  const auto s = Ler<TS5003>("S5003", "s5003-fgts-trabalhador.xml");
  ASSERT_NE(s, nullptr);
  const TEvtBasesFGTS& evt = s->EvtBasesFGTS();
  EXPECT_EQ(evt.IdeTrabalhador().nisTrab, "12345678901");
  EXPECT_DOUBLE_EQ(evt.InfoFGTS().dtVenc, Data(2024, 5, 7));
  ASSERT_EQ(evt.InfoFGTS().ideEstabLot.size(), 1u);
  const auto& trab = evt.InfoFGTS().ideEstabLot[0].infoTrabFGTS;
  ASSERT_EQ(trab.size(), 2u);
  EXPECT_DOUBLE_EQ(trab[0].dtAdm, Data(2024, 4, 1));
  ASSERT_EQ(trab[0].infoBaseFGTS.basePerApur.size(), 2u);
  EXPECT_DOUBLE_EQ(trab[0].infoBaseFGTS.basePerApur[1].remFGTS, 291.73);
  EXPECT_DOUBLE_EQ(trab[1].dtTerm, Data(2024, 4, 30));
  EXPECT_EQ(trab[1].mtvDesligTSV, "02");
  EXPECT_EQ(trab[1].mtvDeslig, "");
  ASSERT_EQ(evt.InfoFGTS().infoDpsFGTS.infoTrabDps.size(), 1u);
  EXPECT_DOUBLE_EQ(evt.InfoFGTS().infoDpsFGTS.infoTrabDps[0].dpsPerApur[0].dpsFGTS, 280.06);
}

TEST(TotalizadoreSocial, S5013FgtsOfTheEmployer) {
  const auto s = Ler<TS5013>("S5013", "s5013-fgts-contribuinte.xml");
  ASSERT_NE(s, nullptr);
  const TInfoFGTS5013& info = s->EvtFGTS().InfoFGTS();
  EXPECT_EQ(info.indExistInfo, 2);
  ASSERT_EQ(info.infoBaseFGTS.basePerApur.size(), 1u);
  EXPECT_DOUBLE_EQ(info.infoBaseFGTS.basePerApur[0].baseFGTS, 3500.75);
  ASSERT_EQ(info.infoDpsFGTS.dpsPerApur.size(), 2u);
  EXPECT_EQ(info.infoDpsFGTS.dpsPerApur[1].tpDps, 52);
  EXPECT_DOUBLE_EQ(info.infoDpsFGTS.dpsPerApur[1].vrFGTS, 1.5);
}

TEST(TotalizadoreSocial, S5012IncomeTaxOfTheEmployer) {
  const auto s = Ler<TS5012>("S5012", "s5012-irrf-contribuinte.xml");
  ASSERT_NE(s, nullptr);
  const TInfoIRRF5012& info = s->EvtIrrf().InfoIRRF();
  EXPECT_EQ(info.nrRecArqBase, "1.2.0000000000033333333");
  ASSERT_EQ(info.infoCRContrib.size(), 2u);
  EXPECT_DOUBLE_EQ(info.infoCRContrib[1].vrCR, 10.10);
}

}  // namespace
}  // namespace luvaro
