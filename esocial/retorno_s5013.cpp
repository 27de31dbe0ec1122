#include "esocial/retorno_s5013.h"

#include "dfe/config/ini_values.h"

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

void TEvtFGTS::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "infoFGTS")
      .Text("nrRecArqBase", FInfoFGTS.nrRecArqBase)
      .Integer("indExistInfo", FInfoFGTS.indExistInfo);
  int b = 0;
  for (const TBasePerApur5013& base : FInfoFGTS.infoBaseFGTS.basePerApur) {
    IniSectionWriter(ini, IniSectionName("basePerApur", {{++b, 2}}))
        .Integer("tpValor", base.tpValor)
        .Decimal("baseFGTS", base.baseFGTS);
  }
  int d = 0;
  for (const TDpsPerApur5013& dps : FInfoFGTS.infoDpsFGTS.dpsPerApur) {
    IniSectionWriter(ini, IniSectionName("dpsPerApur", {{++d, 2}}))
        .Integer("tpDps", dps.tpDps)
        .Decimal("vrFGTS", dps.vrFGTS);
  }
}

}  // namespace luvaro
