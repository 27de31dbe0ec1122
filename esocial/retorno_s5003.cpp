#include "esocial/retorno_s5003.h"

#include "dfe/config/ini_values.h"

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

void TEvtBasesFGTS::SalvarGrupos(IniFile& ini) const {
  IniSectionWriter(ini, "ideTrabalhador")
      .Text("cpfTrab", FIdeTrabalhador.cpfTrab)
      .Text("nisTrab", FIdeTrabalhador.nisTrab);
  IniSectionWriter(ini, "infoFGTS").Date("dtVenc", FInfoFGTS.dtVenc);
  int e = 0;
  for (const TIdeEstabLot5003& estab : FInfoFGTS.ideEstabLot) {
    const IniIndex ie{++e, 3};
    IniSectionWriter(ini, IniSectionName("ideEstabLot", {ie}))
        .Text("tpInsc", CodigoDe(estab.tpInsc))
        .Text("nrInsc", estab.nrInsc)
        .Text("codLotacao", estab.codLotacao);
    int t = 0;
    for (const TInfoTrabFGTS& trab : estab.infoTrabFGTS) {
      const IniIndex it{++t, 2};
      IniSectionWriter(ini, IniSectionName("infoTrabFGTS", {ie, it}))
          .Text("matricula", trab.matricula)
          .Integer("codCateg", trab.codCateg)
          .Date("dtAdm", trab.dtAdm)
          .Date("dtDeslig", trab.dtDeslig)
          .Date("dtInicio", trab.dtInicio)
          .Text("mtvDeslig", trab.mtvDeslig)
          .Date("dtTerm", trab.dtTerm)
          .Text("mtvDesligTSV", trab.mtvDesligTSV);
      int b = 0;
      for (const TBasePerApur5003& base : trab.infoBaseFGTS.basePerApur) {
        IniSectionWriter(ini, IniSectionName("basePerApur", {ie, it, {++b, 2}}))
            .Integer("tpValor", base.tpValor)
            .Decimal("remFGTS", base.remFGTS);
      }
    }
  }
  int t = 0;
  for (const TInfoTrabDps& trab : FInfoFGTS.infoDpsFGTS.infoTrabDps) {
    const IniIndex it{++t, 2};
    IniSectionWriter(ini, IniSectionName("infoTrabDps", {it}))
        .Text("matricula", trab.matricula)
        .Integer("codCateg", trab.codCateg);
    int d = 0;
    for (const TDpsPerApur5003& dps : trab.dpsPerApur) {
      IniSectionWriter(ini, IniSectionName("dpsPerApur", {it, {++d, 2}}))
          .Integer("tpDps", dps.tpDps)
          .Decimal("dpsFGTS", dps.dpsFGTS);
    }
  }
}

}  // namespace luvaro
