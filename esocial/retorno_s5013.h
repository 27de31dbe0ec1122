#pragma once

#include <string>
#include <vector>

#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5013: the employer's FGTS bases and deposits of a period, consolidated when it is closed.

struct TBasePerApur5013 {
  int tpValor = 0;
  double baseFGTS = 0;
};

struct TInfoBaseFGTS5013 {
  std::vector<TBasePerApur5013> basePerApur;
};

struct TDpsPerApur5013 {
  int tpDps = 0;
  double vrFGTS = 0;
};

struct TInfoDpsFGTS5013 {
  std::vector<TDpsPerApur5013> dpsPerApur;
};

struct TInfoFGTS5013 {
  std::string nrRecArqBase;
  int indExistInfo = 0;
  TInfoBaseFGTS5013 infoBaseFGTS;
  TInfoDpsFGTS5013 infoDpsFGTS;
};

class TEvtFGTS final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtFGTS"; }
  const TInfoFGTS5013& InfoFGTS() const { return FInfoFGTS; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override { FInfoFGTS = {}; }
  void SalvarGrupos(IniFile& ini) const override;

 private:
  TInfoFGTS5013 FInfoFGTS;
};

class TS5013 final : public TTotalizadoreSocial<TEvtFGTS, TTipoEvento::teS5013> {
 public:
  TEvtFGTS& EvtFGTS() { return Evento(); }
};

}  // namespace luvaro
