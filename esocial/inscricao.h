#pragma once

#include <string>

#include "esocial/esocial_conversao.h"

namespace luvaro {

// A registration: its kind and number.
class TInscricao {
 public:
  tpTpInsc TpInsc() const { return FTpInsc; }
  void SetTpInsc(tpTpInsc value) { FTpInsc = value; }
  const std::string& NrInsc() const { return FNrInsc; }
  void SetNrInsc(const std::string& value) { FNrInsc = value; }

 private:
  tpTpInsc FTpInsc = tpTpInsc::tiCNPJ;
  std::string FNrInsc;
};

// The employer's registration, and whether the employer is a public body.
class TIdeEmpregador : public TInscricao {
 public:
  bool OrgaoPublico() const { return FOrgaoPublico; }
  void SetOrgaoPublico(bool value) { FOrgaoPublico = value; }

 private:
  bool FOrgaoPublico = false;
};

// The transmitter's registration.
class TIdeTransmissor : public TIdeEmpregador {};

}  // namespace luvaro
