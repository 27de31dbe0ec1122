#include "esocial/retorno_s5003.h"

namespace luvaro {

void TEvtBasesFGTS::LimparGrupos() {
  FIdeTrabalhador = {};
  FInfoFGTS = {};
}

void TEvtBasesFGTS::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (LerGrupo(l, 2, "ideTrabalhador")) {
    FIdeTrabalhador.cpfTrab = LerTexto(l, "cpfTrab");
    FIdeTrabalhador.nisTrab = LerTexto(l, "nisTrab");
  }
  if (!LerGrupo(l, 2, "infoFGTS")) return;
  FInfoFGTS.dtVenc = LerData(l, "dtVenc");
  LerItens(l, 3, "ideEstabLot", [&] {
    TIdeEstabLot5003& estab = FInfoFGTS.ideEstabLot.emplace_back();
    estab.tpInsc = LerCodigo<tpTpInsc>(l, "tpInsc");
    estab.nrInsc = LerTexto(l, "nrInsc");
    estab.codLotacao = LerTexto(l, "codLotacao");
    LerItens(l, 4, "infoTrabFGTS", [&] {
      TInfoTrabFGTS& trab = estab.infoTrabFGTS.emplace_back();
      trab.matricula = LerTexto(l, "matricula");
      trab.codCateg = LerInteiro(l, "codCateg");
      trab.dtAdm = LerData(l, "dtAdm");
      trab.dtDeslig = LerData(l, "dtDeslig");
      trab.dtInicio = LerData(l, "dtInicio");
      trab.mtvDeslig = LerTexto(l, "mtvDeslig");
      trab.dtTerm = LerData(l, "dtTerm");
      trab.mtvDesligTSV = LerTexto(l, "mtvDesligTSV");
      if (!LerGrupo(l, 5, "infoBaseFGTS")) return;
      LerItens(l, 6, "basePerApur", [&] {
        TBasePerApur5003& base = trab.infoBaseFGTS.basePerApur.emplace_back();
        base.tpValor = LerInteiro(l, "tpValor");
        base.remFGTS = LerDecimal(l, "remFGTS");
      });
    });
  });
  if (!LerGrupo(l, 3, "infoDpsFGTS")) return;
  LerItens(l, 4, "infoTrabDps", [&] {
    TInfoTrabDps& trab = FInfoFGTS.infoDpsFGTS.infoTrabDps.emplace_back();
    trab.matricula = LerTexto(l, "matricula");
    trab.codCateg = LerInteiro(l, "codCateg");
    LerItens(l, 5, "dpsPerApur", [&] {
      TDpsPerApur5003& dps = trab.dpsPerApur.emplace_back();
      dps.tpDps = LerInteiro(l, "tpDps");
      dps.dpsFGTS = LerDecimal(l, "dpsFGTS");
    });
  });
}

}  // namespace luvaro
