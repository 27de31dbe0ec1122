#include "esocial/retorno_s5013.h"

namespace luvaro {

void TEvtFGTS::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (!LerGrupo(l, 2, "infoFGTS")) return;
  FInfoFGTS.nrRecArqBase = LerTexto(l, "nrRecArqBase");
  FInfoFGTS.indExistInfo = LerInteiro(l, "indExistInfo");
  if (LerGrupo(l, 3, "infoBaseFGTS")) {
    LerItens(l, 4, "basePerApur", [&] {
      TBasePerApur5013& base = FInfoFGTS.infoBaseFGTS.basePerApur.emplace_back();
      base.tpValor = LerInteiro(l, "tpValor");
      base.baseFGTS = LerDecimal(l, "baseFGTS");
    });
  }
  if (LerGrupo(l, 3, "infoDpsFGTS")) {
    LerItens(l, 4, "dpsPerApur", [&] {
      TDpsPerApur5013& dps = FInfoFGTS.infoDpsFGTS.dpsPerApur.emplace_back();
      dps.tpDps = LerInteiro(l, "tpDps");
      dps.vrFGTS = LerDecimal(l, "vrFGTS");
    });
  }
}

}  // namespace luvaro
