#include "esocial/retorno_s5011.h"

namespace luvaro {

void TEvtCS::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (!LerGrupo(l, 2, "infoCS")) return;
  FInfoCS.nrRecArqBase = LerTexto(l, "nrRecArqBase");
  FInfoCS.indExistInfo = LerInteiro(l, "indExistInfo");
  if (LerGrupo(l, 3, "infoCPSeg")) {
    FInfoCS.infoCPSeg.vrDescCP = LerDecimal(l, "vrDescCP");
    FInfoCS.infoCPSeg.vrCpSeg = LerDecimal(l, "vrCpSeg");
  }
  if (LerGrupo(l, 3, "infoContrib")) {
    TInfoContrib& contrib = FInfoCS.infoContrib;
    contrib.classTrib = LerTexto(l, "classTrib");
    if (LerGrupo(l, 4, "infoPJ")) {
      contrib.infoPJ.indCoop = LerInteiro(l, "indCoop");
      contrib.infoPJ.indConstr = LerInteiro(l, "indConstr");
      contrib.infoPJ.indSubstPatr = LerInteiro(l, "indSubstPatr");
      contrib.infoPJ.percRedContrib = LerDecimal(l, "percRedContrib");
      if (LerGrupo(l, 5, "infoAtConc")) {
        contrib.infoPJ.infoAtConc.fatorMes = LerDecimal(l, "fatorMes");
        contrib.infoPJ.infoAtConc.fator13 = LerDecimal(l, "fator13");
      }
    }
  }
  LerItens(l, 3, "ideEstab", [&] { LerIdeEstab(FInfoCS.ideEstab.emplace_back()); });
  LerItens(l, 3, "infoCRContrib", [&] {
    TInfoCRContrib5011& cr = FInfoCS.infoCRContrib.emplace_back();
    cr.tpCR = LerInteiro(l, "tpCR");
    cr.vrCR = LerDecimal(l, "vrCR");
    cr.vrCRSusp = LerDecimal(l, "vrCRSusp");
  });
}

// One ideEstab, extracted into level 3.
void TEvtCS::LerIdeEstab(TIdeEstab5011& estab) {
  using namespace retorno;
  TLeitor& l = FLeitor;
  estab.tpInsc = LerCodigo<tpTpInsc>(l, "tpInsc");
  estab.nrInsc = LerTexto(l, "nrInsc");
  if (LerGrupo(l, 4, "infoEstab")) {
    estab.infoEstab.cnaePrep = LerInteiro(l, "cnaePrep");
    estab.infoEstab.aliqRat = LerInteiro(l, "aliqRat");
    estab.infoEstab.fap = LerDecimal(l, "fap");
    estab.infoEstab.aliqRatAjust = LerDecimal(l, "aliqRatAjust");
    if (LerGrupo(l, 5, "infoComplObra")) {
      estab.infoEstab.infoComplObra.indSubstPatrObra = LerInteiro(l, "indSubstPatrObra");
    }
  }
  LerItens(l, 4, "ideLotacao", [&] {
    TIdeLotacao5011& lot = estab.ideLotacao.emplace_back();
    lot.codLotacao = LerTexto(l, "codLotacao");
    lot.fpas = LerInteiro(l, "fpas");
    lot.codTercs = LerTexto(l, "codTercs");
    lot.codTercsSusp = LerTexto(l, "codTercsSusp");
    LerItens(l, 5, "basesRemun", [&] {
      TBasesRemun& bases = lot.basesRemun.emplace_back();
      bases.indIncid = LerInteiro(l, "indIncid");
      bases.codCateg = LerInteiro(l, "codCateg");
      if (!LerGrupo(l, 6, "basesCp")) return;
      TBasesCp& cp = bases.basesCp;
      cp.vrBcCp00 = LerDecimal(l, "vrBcCp00");
      cp.vrBcCp15 = LerDecimal(l, "vrBcCp15");
      cp.vrBcCp20 = LerDecimal(l, "vrBcCp20");
      cp.vrBcCp25 = LerDecimal(l, "vrBcCp25");
      cp.vrSuspBcCp00 = LerDecimal(l, "vrSuspBcCp00");
      cp.vrSuspBcCp15 = LerDecimal(l, "vrSuspBcCp15");
      cp.vrSuspBcCp20 = LerDecimal(l, "vrSuspBcCp20");
      cp.vrSuspBcCp25 = LerDecimal(l, "vrSuspBcCp25");
      cp.vrDescSest = LerDecimal(l, "vrDescSest");
      cp.vrCalcSest = LerDecimal(l, "vrCalcSest");
      cp.vrDescSenat = LerDecimal(l, "vrDescSenat");
      cp.vrCalcSenat = LerDecimal(l, "vrCalcSenat");
      cp.vrSalFam = LerDecimal(l, "vrSalFam");
      cp.vrSalMat = LerDecimal(l, "vrSalMat");
    });
    if (LerGrupo(l, 5, "basesAvNPort")) {
      TBasesAvNPort& av = lot.basesAvNPort;
      av.vrBcCp00 = LerDecimal(l, "vrBcCp00");
      av.vrBcCp15 = LerDecimal(l, "vrBcCp15");
      av.vrBcCp20 = LerDecimal(l, "vrBcCp20");
      av.vrBcCp25 = LerDecimal(l, "vrBcCp25");
      av.vrBcCp13 = LerDecimal(l, "vrBcCp13");
      av.vrBcFgts = LerDecimal(l, "vrBcFgts");
      av.vrDescCP = LerDecimal(l, "vrDescCP");
    }
  });
  LerItens(l, 4, "basesAquis", [&] {
    TBasesAquis& aq = estab.basesAquis.emplace_back();
    aq.indAquis = LerInteiro(l, "indAquis");
    aq.vlrAquis = LerDecimal(l, "vlrAquis");
    aq.vrCPDescPR = LerDecimal(l, "vrCPDescPR");
    aq.vrCPNRet = LerDecimal(l, "vrCPNRet");
    aq.vrRatNRet = LerDecimal(l, "vrRatNRet");
    aq.vrSenarNRet = LerDecimal(l, "vrSenarNRet");
    aq.vrCPCalcPR = LerDecimal(l, "vrCPCalcPR");
    aq.vrRatDescPR = LerDecimal(l, "vrRatDescPR");
    aq.vrRatCalcPR = LerDecimal(l, "vrRatCalcPR");
    aq.vrSenarDesc = LerDecimal(l, "vrSenarDesc");
    aq.vrSenarCalc = LerDecimal(l, "vrSenarCalc");
  });
  LerItens(l, 4, "basesComerc", [&] {
    TBasesComerc& com = estab.basesComerc.emplace_back();
    com.indComerc = LerInteiro(l, "indComerc");
    com.vrBcComPR = LerDecimal(l, "vrBcComPR");
    com.vrCPSusp = LerDecimal(l, "vrCPSusp");
    com.vrRatSusp = LerDecimal(l, "vrRatSusp");
    com.vrSenarSusp = LerDecimal(l, "vrSenarSusp");
  });
  LerItens(l, 4, "infoCREstab", [&] {
    TInfoCREstab& cr = estab.infoCREstab.emplace_back();
    cr.tpCR = LerInteiro(l, "tpCR");
    cr.vrCR = LerDecimal(l, "vrCR");
    cr.vrSuspCR = LerDecimal(l, "vrSuspCR");
  });
}

}  // namespace luvaro
