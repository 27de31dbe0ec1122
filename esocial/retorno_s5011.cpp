#include "esocial/retorno_s5011.h"

#include "dfe/config/ini_values.h"

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

void TEvtCS::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "infoCS")
      .Text("nrRecArqBase", FInfoCS.nrRecArqBase)
      .Integer("indExistInfo", FInfoCS.indExistInfo);
  IniSectionWriter(ini, "infoCPSeg")
      .Decimal("vrDescCP", FInfoCS.infoCPSeg.vrDescCP)
      .Decimal("vrCpSeg", FInfoCS.infoCPSeg.vrCpSeg);
  const TInfoContrib& contrib = FInfoCS.infoContrib;
  IniSectionWriter(ini, "infoContrib").Text("classTrib", contrib.classTrib);
  const TInfoPJ& pj = contrib.infoPJ;
  const bool comAtConc = pj.infoAtConc.fatorMes != 0 || pj.infoAtConc.fator13 != 0;
  if (comAtConc || pj.indCoop != 0 || pj.indConstr != 0 || pj.indSubstPatr != 0 ||
      pj.percRedContrib != 0) {
    IniSectionWriter(ini, "infoPJ")
        .Integer("indCoop", pj.indCoop)
        .Integer("indConstr", pj.indConstr)
        .Integer("indSubstPatr", pj.indSubstPatr)
        .Decimal("percRedContrib", pj.percRedContrib);
  }
  if (comAtConc) {
    IniSectionWriter(ini, "infoAtConc")
        .Decimal("fatorMes", pj.infoAtConc.fatorMes)
        .Decimal("fator13", pj.infoAtConc.fator13);
  }
  int e = 0;
  for (const TIdeEstab5011& estab : FInfoCS.ideEstab) SalvarIdeEstab(ini, estab, ++e);
  int c = 0;
  for (const TInfoCRContrib5011& cr : FInfoCS.infoCRContrib) {
    IniSectionWriter(ini, IniSectionName("infoCRContrib", {{++c, 2}}))
        .Integer("tpCR", cr.tpCR)
        .Decimal("vrCR", cr.vrCR)
        .Decimal("vrCRSusp", cr.vrCRSusp);
  }
}

void TEvtCS::SalvarIdeEstab(IniFile& ini, const TIdeEstab5011& estab, int numero) const {
  const IniIndex ie{numero, 3};
  IniSectionWriter(ini, IniSectionName("ideEstab", {ie}))
      .Text("tpInsc", CodigoDe(estab.tpInsc))
      .Text("nrInsc", estab.nrInsc);
  const TInfoEstab5011& info = estab.infoEstab;
  if (info.cnaePrep != 0) {
    IniSectionWriter(ini, IniSectionName("infoEstab", {ie}))
        .Integer("cnaePrep", info.cnaePrep)
        .Integer("aliqRat", info.aliqRat)
        .Decimal("fap", info.fap)
        .Decimal("aliqRatAjust", info.aliqRatAjust);
  }
  if (info.infoComplObra.indSubstPatrObra != 0) {
    IniSectionWriter(ini, IniSectionName("infoComplObra", {ie}))
        .Integer("indSubstPatrObra", info.infoComplObra.indSubstPatrObra);
  }
  int l = 0;
  for (const TIdeLotacao5011& lot : estab.ideLotacao) {
    const IniIndex il{++l, 3};
    IniSectionWriter(ini, IniSectionName("ideLotacao", {ie, il}))
        .Text("codLotacao", lot.codLotacao)
        .Integer("fpas", lot.fpas)
        .Text("codTercs", lot.codTercs)
        .Text("codTercsSusp", lot.codTercsSusp);
    int r = 0;
    for (const TBasesRemun& bases : lot.basesRemun) {
      const IniIndex ir{++r, 2};
      IniSectionWriter(ini, IniSectionName("basesRemun", {ie, il, ir}))
          .Integer("indIncid", bases.indIncid)
          .Integer("codCateg", bases.codCateg);
      const TBasesCp& cp = bases.basesCp;
      IniSectionWriter(ini, IniSectionName("basesCp", {ie, il, ir}))
          .Decimal("vrBcCp00", cp.vrBcCp00)
          .Decimal("vrBcCp15", cp.vrBcCp15)
          .Decimal("vrBcCp20", cp.vrBcCp20)
          .Decimal("vrBcCp25", cp.vrBcCp25)
          .Decimal("vrSuspBcCp00", cp.vrSuspBcCp00)
          .Decimal("vrSuspBcCp15", cp.vrSuspBcCp15)
          .Decimal("vrSuspBcCp20", cp.vrSuspBcCp20)
          .Decimal("vrSuspBcCp25", cp.vrSuspBcCp25)
          .Decimal("vrDescSest", cp.vrDescSest)
          .Decimal("vrCalcSest", cp.vrCalcSest)
          .Decimal("vrDescSenat", cp.vrDescSenat)
          .Decimal("vrCalcSenat", cp.vrCalcSenat)
          .Decimal("vrSalFam", cp.vrSalFam)
          .Decimal("vrSalMat", cp.vrSalMat);
    }
    const TBasesAvNPort& av = lot.basesAvNPort;
    if (av.vrBcCp00 != 0 || av.vrBcCp15 != 0 || av.vrBcCp20 != 0 || av.vrBcCp25 != 0 ||
        av.vrBcCp13 != 0 || av.vrBcFgts != 0 || av.vrDescCP != 0) {
      IniSectionWriter(ini, IniSectionName("basesAvNPort", {ie, il}))
          .Decimal("vrBcCp00", av.vrBcCp00)
          .Decimal("vrBcCp15", av.vrBcCp15)
          .Decimal("vrBcCp20", av.vrBcCp20)
          .Decimal("vrBcCp25", av.vrBcCp25)
          .Decimal("vrBcCp13", av.vrBcCp13)
          .Decimal("vrBcFgts", av.vrBcFgts)
          .Decimal("vrDescCP", av.vrDescCP);
    }
  }
  int a = 0;
  for (const TBasesAquis& aq : estab.basesAquis) {
    IniSectionWriter(ini, IniSectionName("basesAquis", {ie, {++a, 2}}))
        .Integer("indAquis", aq.indAquis)
        .Decimal("vlrAquis", aq.vlrAquis)
        .Decimal("vrCPDescPR", aq.vrCPDescPR)
        .Decimal("vrCPNRet", aq.vrCPNRet)
        .Decimal("vrRatNRet", aq.vrRatNRet)
        .Decimal("vrSenarNRet", aq.vrSenarNRet)
        .Decimal("vrCPCalcPR", aq.vrCPCalcPR)
        .Decimal("vrRatDescPR", aq.vrRatDescPR)
        .Decimal("vrRatCalcPR", aq.vrRatCalcPR)
        .Decimal("vrSenarDesc", aq.vrSenarDesc)
        .Decimal("vrSenarCalc", aq.vrSenarCalc);
  }
  int m = 0;
  for (const TBasesComerc& com : estab.basesComerc) {
    IniSectionWriter(ini, IniSectionName("basesComerc", {ie, {++m, 2}}))
        .Integer("indComerc", com.indComerc)
        .Decimal("vrBcComPR", com.vrBcComPR)
        .Decimal("vrCPSusp", com.vrCPSusp)
        .Decimal("vrRatSusp", com.vrRatSusp)
        .Decimal("vrSenarSusp", com.vrSenarSusp);
  }
  int c = 0;
  for (const TInfoCREstab& cr : estab.infoCREstab) {
    IniSectionWriter(ini, IniSectionName("infoCREstab", {ie, {++c, 2}}))
        .Integer("tpCR", cr.tpCR)
        .Decimal("vrCR", cr.vrCR)
        .Decimal("vrSuspCR", cr.vrSuspCR);
  }
}

}  // namespace luvaro
