#pragma once

#include <string>
#include <vector>

#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5012: the employer's income tax withheld in a period, consolidated when it is closed.

struct TInfoCRContrib5012 {
  int tpCR = 0;
  double vrCR = 0;
};

struct TInfoIRRF5012 {
  std::string nrRecArqBase;
  int indExistInfo = 0;
  std::vector<TInfoCRContrib5012> infoCRContrib;
};

class TEvtIrrf final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtIrrf"; }
  const TInfoIRRF5012& InfoIRRF() const { return FInfoIRRF; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override { FInfoIRRF = {}; }
  void SalvarGrupos(IniFile& ini) const override;

 private:
  TInfoIRRF5012 FInfoIRRF;
};

class TS5012 final : public TTotalizadoreSocial<TEvtIrrf, TTipoEvento::teS5012> {
 public:
  TEvtIrrf& EvtIrrf() { return Evento(); }
};

}  // namespace luvaro
