#include "esocial/retorno_s5002.h"

namespace luvaro {

void TEvtIrrfBenef::LimparGrupos() {
  FIdeTrabalhador = {};
  FInfoDep = {};
  FInfoIrrf.clear();
}

void TEvtIrrfBenef::LerGrupos() {
  using namespace retorno;
  TLeitor& l = FLeitor;
  if (LerGrupo(l, 2, "ideTrabalhador")) FIdeTrabalhador.cpfTrab = LerTexto(l, "cpfTrab");
  if (LerGrupo(l, 2, "infoDep")) FInfoDep.vrDedDep = LerDecimal(l, "vrDedDep");
  LerItens(l, 2, "infoIrrf", [&] {
    TInfoIrrf5002& info = FInfoIrrf.emplace_back();
    info.codCateg = LerInteiro(l, "codCateg");
    info.indResBr = LerCodigo<tpSimNao>(l, "indResBr");
    LerItens(l, 3, "basesIrrf", [&] {
      TBasesIrrf& base = info.basesIrrf.emplace_back();
      base.tpValor = LerInteiro(l, "tpValor");
      base.valor = LerDecimal(l, "valor");
    });
    LerItens(l, 3, "irrf", [&] {
      TIrrf5002& irrf = info.irrf.emplace_back();
      irrf.tpCR = LerInteiro(l, "tpCR");
      irrf.vrIrrfDesc = LerDecimal(l, "vrIrrfDesc");
    });
    if (!LerGrupo(l, 3, "idePgtoExt")) return;
    if (LerGrupo(l, 4, "idePais")) {
      info.idePgtoExt.idePais.codPais = LerTexto(l, "codPais");
      info.idePgtoExt.idePais.indNIF = LerInteiro(l, "indNIF");
      info.idePgtoExt.idePais.nifBenef = LerTexto(l, "nifBenef");
    }
    if (LerGrupo(l, 4, "endExt")) {
      TEndExt& end = info.idePgtoExt.endExt;
      end.dscLograd = LerTexto(l, "dscLograd");
      end.nrLograd = LerTexto(l, "nrLograd");
      end.complem = LerTexto(l, "complem");
      end.bairro = LerTexto(l, "bairro");
      end.nmCid = LerTexto(l, "nmCid");
      end.codPostal = LerTexto(l, "codPostal");
    }
  });
}

}  // namespace luvaro
