#pragma once

#include <string>
#include <vector>

#include "esocial/retorno_totalizador.h"

namespace luvaro {

// S-5002: the income-tax bases and withholdings of one beneficiary, computed from a payment
// event.

struct TIdeTrabalhador5002 {
  std::string cpfTrab;
};

struct TInfoDep {
  double vrDedDep = 0;
};

struct TBasesIrrf {
  int tpValor = 0;
  double valor = 0;
};

struct TIrrf5002 {
  int tpCR = 0;
  double vrIrrfDesc = 0;
};

struct TIdePais {
  std::string codPais;
  int indNIF = 0;
  std::string nifBenef;
};

struct TEndExt {
  std::string dscLograd;
  std::string nrLograd;
  std::string complem;
  std::string bairro;
  std::string nmCid;
  std::string codPostal;
};

struct TIdePgtoExt {
  TIdePais idePais;
  TEndExt endExt;
};

struct TInfoIrrf5002 {
  int codCateg = 0;
  tpSimNao indResBr = tpSimNao::tpSim;
  std::vector<TBasesIrrf> basesIrrf;
  std::vector<TIrrf5002> irrf;
  TIdePgtoExt idePgtoExt;
};

class TEvtIrrfBenef final : public TEventoTotalizador {
 public:
  std::string ElementoRaiz() const override { return "evtIrrfBenef"; }
  const TIdeTrabalhador5002& IdeTrabalhador() const { return FIdeTrabalhador; }
  const TInfoDep& InfoDep() const { return FInfoDep; }
  const std::vector<TInfoIrrf5002>& InfoIrrf() const { return FInfoIrrf; }

 protected:
  void LerGrupos() override;
  void LimparGrupos() override;
  void SalvarGrupos(IniFile& ini) const override;
  bool IdeEventoComRecibo() const override { return true; }

 private:
  TIdeTrabalhador5002 FIdeTrabalhador;
  TInfoDep FInfoDep;
  std::vector<TInfoIrrf5002> FInfoIrrf;
};

class TS5002 final : public TTotalizadoreSocial<TEvtIrrfBenef, TTipoEvento::teS5002> {
 public:
  TEvtIrrfBenef& EvtirrfBenef() { return Evento(); }
};

}  // namespace luvaro
