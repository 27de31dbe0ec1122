#pragma once

#include <string>

#include "reinf/reinf_evento.h"

namespace luvaro::reinf {

// The thirteen EFD-Reinf event classes. Loaded documents need only the base; each class later
// carries its type's data model, builder (GerarXML) and INI reader (LerArqIni).

class TevtInfoContri : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtInfoContri"; }
};

class TevtTabProcesso : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtTabProcesso"; }
};

class TevtServTom : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtServTom"; }
};

class TevtServPrest : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtServPrest"; }
};

class TevtAssocDespRec : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtAssocDespRec"; }
};

class TevtAssocDespRep : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtAssocDespRep"; }
};

class TevtComProd : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtComProd"; }
};

class TevtCPRB : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtCPRB"; }
};

class TevtPgtosDivs : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtPgtosDivs"; }
};

class TevtReabreEvPer : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtReabreEvPer"; }
};

class TevtFechaEvPer : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtFechaEvPer"; }
};

class TevtEspDesportivo : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtEspDesportivo"; }
};

class TevtExclusao : public TReinfEvento {
 public:
  using TReinfEvento::TReinfEvento;
  std::string ClassName() const override { return "TevtExclusao"; }
};

}  // namespace luvaro::reinf
