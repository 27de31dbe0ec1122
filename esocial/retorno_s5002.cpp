#include "esocial/retorno_s5002.h"

#include "dfe/config/ini_values.h"

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

void TEvtIrrfBenef::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "ideTrabalhador").Text("cpfTrab", FIdeTrabalhador.cpfTrab);
  if (FInfoDep.vrDedDep != 0)
    IniSectionWriter(ini, "infoDep").Decimal("vrDedDep", FInfoDep.vrDedDep);
  int i = 0;
  for (const TInfoIrrf5002& info : FInfoIrrf) {
    const IniIndex ii{++i, 2};
    IniSectionWriter(ini, IniSectionName("infoIrrf", {ii}))
        .Integer("codCateg", info.codCateg)
        .Text("indResBr", CodigoDe(info.indResBr));
    int b = 0;
    for (const TBasesIrrf& base : info.basesIrrf) {
      IniSectionWriter(ini, IniSectionName("basesIrrf", {ii, {++b, 2}}))
          .Integer("tpValor", base.tpValor)
          .Decimal("valor", base.valor);
    }
    int r = 0;
    for (const TIrrf5002& irrf : info.irrf) {
      IniSectionWriter(ini, IniSectionName("irrf", {ii, {++r, 2}}))
          .Integer("tpCR", irrf.tpCR)
          .Decimal("vrIrrfDesc", irrf.vrIrrfDesc);
    }
    const TIdePais& pais = info.idePgtoExt.idePais;
    if (!pais.codPais.empty()) {
      IniSectionWriter(ini, IniSectionName("idePais", {ii}))
          .Text("codPais", pais.codPais)
          .Integer("indNIF", pais.indNIF)
          .Text("nifBenef", pais.nifBenef);
    }
    const TEndExt& end = info.idePgtoExt.endExt;
    if (!end.dscLograd.empty()) {
      IniSectionWriter(ini, IniSectionName("endExt", {ii}))
          .Text("dscLograd", end.dscLograd)
          .Text("nrLograd", end.nrLograd)
          .Text("complem", end.complem)
          .Text("bairro", end.bairro)
          .Text("nmCid", end.nmCid)
          .Text("codPostal", end.codPostal);
    }
  }
}

}  // namespace luvaro
