#pragma once

#include <string>
#include <vector>

#include "dfe/xml/data_hora.h"
#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5003: the FGTS bases and deposits of one worker.

struct TIdeTrabalhador5003 {
  std::string cpfTrab;
  std::string nisTrab;
};

struct TBasePerApur5003 {
  int tpValor = 0;
  double remFGTS = 0;
};

struct TInfoBaseFGTS5003 {
  std::vector<TBasePerApur5003> basePerApur;
};

struct TInfoTrabFGTS {
  std::string matricula;
  int codCateg = 0;
  DateTime dtAdm = 0;
  DateTime dtDeslig = 0;
  DateTime dtInicio = 0;
  std::string mtvDeslig;
  DateTime dtTerm = 0;
  std::string mtvDesligTSV;
  TInfoBaseFGTS5003 infoBaseFGTS;
};

struct TIdeEstabLot5003 {
  tpTpInsc tpInsc = tpTpInsc::tiCNPJ;
  std::string nrInsc;
  std::string codLotacao;
  std::vector<TInfoTrabFGTS> infoTrabFGTS;
};

struct TDpsPerApur5003 {
  int tpDps = 0;
  double dpsFGTS = 0;
};

struct TInfoTrabDps {
  std::string matricula;
  int codCateg = 0;
  std::vector<TDpsPerApur5003> dpsPerApur;
};

struct TInfoDpsFGTS5003 {
  std::vector<TInfoTrabDps> infoTrabDps;
};

struct TInfoFGTS5003 {
  DateTime dtVenc = 0;
  std::vector<TIdeEstabLot5003> ideEstabLot;
  TInfoDpsFGTS5003 infoDpsFGTS;
};

class TEvtBasesFGTS final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtBasesFGTS"; }
  const TIdeTrabalhador5003& IdeTrabalhador() const { return FIdeTrabalhador; }
  const TInfoFGTS5003& InfoFGTS() const { return FInfoFGTS; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override;
  void SalvarGrupos(IniFile& ini) const override;
  bool IdeEventoComRecibo() const override { return true; }

 private:
  TIdeTrabalhador5003 FIdeTrabalhador;
  TInfoFGTS5003 FInfoFGTS;
};

class TS5003 final : public TTotalizadoreSocial<TEvtBasesFGTS, TTipoEvento::teS5003> {
 public:
  TEvtBasesFGTS& EvtBasesFGTS() { return Evento(); }
};

}  // namespace luvaro
