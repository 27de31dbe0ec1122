#include "esocial/retorno_s5001.h"

#include "dfe/config/ini_values.h"

namespace luvaro {

void TEvtBasesTrab::LimparGrupos() {
  FIdeTrabalhador = {};
  FInfoCpCalc.clear();
  FInfoCp = {};
}

void TEvtBasesTrab::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (LerGrupo(l, 2, "ideTrabalhador")) {
    FIdeTrabalhador.cpfTrab = LerTexto(l, "cpfTrab");
    LerItens(l, 3, "procJudTrab", [&] {
      TProcJudTrab5001& proc = FIdeTrabalhador.procJudTrab.emplace_back();
      proc.nrProcJud = LerTexto(l, "nrProcJud");
      proc.codSusp = LerInteiro(l, "codSusp");
    });
  }
  LerItens(l, 2, "infoCpCalc", [&] {
    TInfoCpCalc& calc = FInfoCpCalc.emplace_back();
    calc.tpCR = LerInteiro(l, "tpCR");
    calc.vrCpSeg = LerDecimal(l, "vrCpSeg");
    calc.vrDescSeg = LerDecimal(l, "vrDescSeg");
  });
  if (!LerGrupo(l, 2, "infoCp")) return;
  LerItens(l, 3, "ideEstabLot", [&] {
    TIdeEstabLot5001& estab = FInfoCp.ideEstabLot.emplace_back();
    estab.tpInsc = LerCodigo<tpTpInsc>(l, "tpInsc");
    estab.nrInsc = LerTexto(l, "nrInsc");
    estab.codLotacao = LerTexto(l, "codLotacao");
    LerItens(l, 4, "infoCategIncid", [&] {
      TInfoCategIncid& categ = estab.infoCategIncid.emplace_back();
      categ.matricula = LerTexto(l, "matricula");
      categ.codCateg = LerInteiro(l, "codCateg");
      categ.indSimples = LerInteiro(l, "indSimples");
      LerItens(l, 5, "infoBaseCS", [&] {
        TInfoBaseCS& base = categ.infoBaseCS.emplace_back();
        base.ind13 = LerInteiro(l, "ind13");
        base.tpValor = LerInteiro(l, "tpValor");
        base.valor = LerDecimal(l, "valor");
      });
      LerItens(l, 5, "calcTerc", [&] {
        TCalcTerc& terc = categ.calcTerc.emplace_back();
        terc.tpCR = LerInteiro(l, "tpCR");
        terc.vrCsSegTerc = LerDecimal(l, "vrCsSegTerc");
        terc.vrDescTerc = LerDecimal(l, "vrDescTerc");
      });
    });
  });
}

void TEvtBasesTrab::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "ideTrabalhador").Text("cpfTrab", FIdeTrabalhador.cpfTrab);
  int p = 0;
  for (const TProcJudTrab5001& proc : FIdeTrabalhador.procJudTrab) {
    IniSectionWriter(ini, IniSectionName("procJudTrab", {{++p, 2}}))
        .Text("nrProcJud", proc.nrProcJud)
        .Integer("codSusp", proc.codSusp);
  }
  int c = 0;
  for (const TInfoCpCalc& calc : FInfoCpCalc) {
    IniSectionWriter(ini, IniSectionName("infoCpCalc", {{++c, 2}}))
        .Integer("tpCR", calc.tpCR)
        .Decimal("vrCpSeg", calc.vrCpSeg)
        .Decimal("vrDescSeg", calc.vrDescSeg);
  }
  int e = 0;
  for (const TIdeEstabLot5001& estab : FInfoCp.ideEstabLot) {
    const IniIndex ie{++e, 3};
    IniSectionWriter(ini, IniSectionName("ideEstabLot", {ie}))
        .Text("tpInsc", CodigoDe(estab.tpInsc))
        .Text("nrInsc", estab.nrInsc)
        .Text("codLotacao", estab.codLotacao);
    int g = 0;
    for (const TInfoCategIncid& categ : estab.infoCategIncid) {
      const IniIndex ig{++g, 2};
      IniSectionWriter secao(ini, IniSectionName("infoCategIncid", {ie, ig}));
      secao.Text("matricula", categ.matricula).Integer("codCateg", categ.codCateg);
      if (categ.indSimples != 0) secao.Integer("indSimples", categ.indSimples);  // 0: absent
      int b = 0;
      for (const TInfoBaseCS& base : categ.infoBaseCS) {
        IniSectionWriter(ini, IniSectionName("infoBaseCS", {ie, ig, {++b, 2}}))
            .Integer("ind13", base.ind13)
            .Integer("tpValor", base.tpValor)
            .Decimal("valor", base.valor);
      }
      int t = 0;
      for (const TCalcTerc& terc : categ.calcTerc) {
        IniSectionWriter(ini, IniSectionName("calcTerc", {ie, ig, {++t, 2}}))
            .Integer("tpCR", terc.tpCR)
            .Decimal("vrCsSegTerc", terc.vrCsSegTerc)
            .Decimal("vrDescTerc", terc.vrDescTerc);
      }
    }
  }
}

}  // namespace luvaro
