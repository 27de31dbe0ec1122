#include "esocial/retorno_s5001.h"

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

}  // namespace luvaro
