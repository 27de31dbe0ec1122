#pragma once

#include <string>
#include <vector>

#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5001: the social-security bases and contributions of one worker, computed from a
// remuneration event.

struct TProcJudTrab5001 {
  std::string nrProcJud;
  int codSusp = 0;
};

struct TIdeTrabalhador5001 {
  std::string cpfTrab;
  std::vector<TProcJudTrab5001> procJudTrab;
};

// infoCpCalc and calcTerc: a revenue code with the contribution computed and the one deducted.
struct TInfoCpCalc {
  int tpCR = 0;
  double vrCpSeg = 0;
  double vrDescSeg = 0;
};

struct TCalcTerc {
  int tpCR = 0;
  double vrCsSegTerc = 0;
  double vrDescTerc = 0;
};

struct TInfoBaseCS {
  int ind13 = 0;
  int tpValor = 0;
  double valor = 0;
};

struct TInfoCategIncid {
  std::string matricula;
  int codCateg = 0;
  int indSimples = 0;  // 0 when absent
  std::vector<TInfoBaseCS> infoBaseCS;
  std::vector<TCalcTerc> calcTerc;
};

struct TIdeEstabLot5001 {
  tpTpInsc tpInsc = tpTpInsc::tiCNPJ;
  std::string nrInsc;
  std::string codLotacao;
  std::vector<TInfoCategIncid> infoCategIncid;
};

struct TInfoCp5001 {
  std::vector<TIdeEstabLot5001> ideEstabLot;
};

class TEvtBasesTrab final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtBasesTrab"; }
  const TIdeTrabalhador5001& IdeTrabalhador() const { return FIdeTrabalhador; }
  const std::vector<TInfoCpCalc>& InfoCpCalc() const { return FInfoCpCalc; }
  const TInfoCp5001& InfoCp() const { return FInfoCp; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override;
  void SalvarGrupos(IniFile& ini) const override;
  bool IdeEventoComRecibo() const override { return true; }
  bool IdeEventoComApuracao() const override { return true; }

 private:
  TIdeTrabalhador5001 FIdeTrabalhador;
  std::vector<TInfoCpCalc> FInfoCpCalc;
  TInfoCp5001 FInfoCp;
};

class TS5001 final : public TTotalizadoreSocial<TEvtBasesTrab, TTipoEvento::teS5001> {
 public:
  TEvtBasesTrab& EvtBasesTrab() { return Evento(); }
};

}  // namespace luvaro
