#include "esocial/retorno_s5012.h"

#include "dfe/config/ini_values.h"

namespace luvaro {

void TEvtIrrf::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (!LerGrupo(l, 2, "infoIRRF")) return;
  FInfoIRRF.nrRecArqBase = LerTexto(l, "nrRecArqBase");
  FInfoIRRF.indExistInfo = LerInteiro(l, "indExistInfo");
  LerItens(l, 3, "infoCRContrib", [&] {
    TInfoCRContrib5012& cr = FInfoIRRF.infoCRContrib.emplace_back();
    cr.tpCR = LerInteiro(l, "tpCR");
    cr.vrCR = LerDecimal(l, "vrCR");
  });
}

void TEvtIrrf::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "infoIRRF")
      .Text("nrRecArqBase", FInfoIRRF.nrRecArqBase)
      .Integer("indExistInfo", FInfoIRRF.indExistInfo);
  int c = 0;
  for (const TInfoCRContrib5012& cr : FInfoIRRF.infoCRContrib) {
    IniSectionWriter(ini, IniSectionName("infoCRContrib", {{++c, 2}}))
        .Integer("tpCR", cr.tpCR)
        .Decimal("vrCR", cr.vrCR);
  }
}

}  // namespace luvaro
