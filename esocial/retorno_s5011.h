#pragma once

#include <string>
#include <vector>

#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5011: the employer's social-security contributions of a period, consolidated from the
// S-5001 bases when the period is closed.

struct TInfoCPSeg {
  double vrDescCP = 0;
  double vrCpSeg = 0;
};

struct TInfoAtConc {
  double fatorMes = 0;
  double fator13 = 0;
};

struct TInfoPJ {
  int indCoop = 0;
  int indConstr = 0;
  int indSubstPatr = 0;
  double percRedContrib = 0;
  TInfoAtConc infoAtConc;
};

struct TInfoContrib {
  std::string classTrib;
  TInfoPJ infoPJ;
};

struct TInfoComplObra {
  int indSubstPatrObra = 0;
};

struct TInfoEstab5011 {
  int cnaePrep = 0;
  int aliqRat = 0;
  double fap = 0;
  double aliqRatAjust = 0;
  TInfoComplObra infoComplObra;
};

struct TBasesCp {
  double vrBcCp00 = 0;
  double vrBcCp15 = 0;
  double vrBcCp20 = 0;
  double vrBcCp25 = 0;
  double vrSuspBcCp00 = 0;
  double vrSuspBcCp15 = 0;
  double vrSuspBcCp20 = 0;
  double vrSuspBcCp25 = 0;
  double vrDescSest = 0;
  double vrCalcSest = 0;
  double vrDescSenat = 0;
  double vrCalcSenat = 0;
  double vrSalFam = 0;
  double vrSalMat = 0;
};

struct TBasesRemun {
  int indIncid = 0;
  int codCateg = 0;
  TBasesCp basesCp;
};

struct TBasesAvNPort {
  double vrBcCp00 = 0;
  double vrBcCp15 = 0;
  double vrBcCp20 = 0;
  double vrBcCp25 = 0;
  double vrBcCp13 = 0;
  double vrBcFgts = 0;
  double vrDescCP = 0;
};

struct TIdeLotacao5011 {
  std::string codLotacao;
  int fpas = 0;
  std::string codTercs;
  std::string codTercsSusp;
  std::vector<TBasesRemun> basesRemun;
  TBasesAvNPort basesAvNPort;
};

struct TBasesAquis {
  int indAquis = 0;
  double vlrAquis = 0;
  double vrCPDescPR = 0;
  double vrCPNRet = 0;
  double vrRatNRet = 0;
  double vrSenarNRet = 0;
  double vrCPCalcPR = 0;
  double vrRatDescPR = 0;
  double vrRatCalcPR = 0;
  double vrSenarDesc = 0;
  double vrSenarCalc = 0;
};

struct TBasesComerc {
  int indComerc = 0;
  double vrBcComPR = 0;
  double vrCPSusp = 0;
  double vrRatSusp = 0;
  double vrSenarSusp = 0;
};

struct TInfoCREstab {
  int tpCR = 0;
  double vrCR = 0;
  double vrSuspCR = 0;
};

struct TIdeEstab5011 {
  tpTpInsc tpInsc = tpTpInsc::tiCNPJ;
  std::string nrInsc;
  TInfoEstab5011 infoEstab;
  std::vector<TIdeLotacao5011> ideLotacao;
  std::vector<TBasesAquis> basesAquis;
  std::vector<TBasesComerc> basesComerc;
  std::vector<TInfoCREstab> infoCREstab;
};

struct TInfoCRContrib5011 {
  int tpCR = 0;
  double vrCR = 0;
  double vrCRSusp = 0;
};

struct TInfoCS {
  std::string nrRecArqBase;
  int indExistInfo = 0;
  TInfoCPSeg infoCPSeg;
  TInfoContrib infoContrib;
  std::vector<TIdeEstab5011> ideEstab;
  std::vector<TInfoCRContrib5011> infoCRContrib;
};

class TEvtCS final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtCS"; }
  const TInfoCS& InfoCS() const { return FInfoCS; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override { FInfoCS = {}; }
  void SalvarGrupos(IniFile& ini) const override;
  bool IdeEventoComApuracao() const override { return true; }

 private:
  void LerIdeEstab(TIdeEstab5011& estab);
  void SalvarIdeEstab(IniFile& ini, const TIdeEstab5011& estab, int numero) const;

  TInfoCS FInfoCS;
};

class TS5011 final : public TTotalizadoreSocial<TEvtCS, TTipoEvento::teS5011> {
 public:
  TEvtCS& EvtCS() { return Evento(); }
};

}  // namespace luvaro
