#include "esocial/retorno_s5012.h"

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

}  // namespace luvaro
