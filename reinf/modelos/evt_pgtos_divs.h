#pragma once

#include <string>

#include "reinf/modelos/evento_modelo.h"

namespace luvaro::reinf {

// A beneficiary living abroad.
struct TinfoResidExt {
  std::string paisResid;
  TindNIF indNIF = TindNIF::nifCom;
  std::string nifBenef;  // optional
};

// A serious illness that exempts the beneficiary.
struct TinfoMolestia {
  DateTime dtLaudo = 0;
};

// One payment to the beneficiary.
struct TinfoPgtoCollectionItem {
  DateTime dtPgto = 0;
  double vlrRendTributavel = 0;
  double vlrIR = 0;  // optional (0 is not written)
};

struct TideBenef {
  std::string codPgto;
  TtpInsc tpInscBenef = TtpInsc::tiCNPJ;
  std::string nrInscBenef;
  std::string nmRazaoBenef;
  TGrupoOpcional<TinfoResidExt> infoResidExt;
  TGrupoOpcional<TinfoMolestia> infoMolestia;
  std::string nrInscEstab;  // the establishment that paid (ideEstab of infoPgto)
  TListaModelo<TinfoPgtoCollectionItem> infoPgto;
};

// R-2070: payments to individuals and companies. No layout of this program's versions publishes
// its schema, so the built document is signed and kept without validation.
class TevtPgtosDivs final : public TReinfEventoModelo {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teR2070;
  explicit TevtPgtosDivs(TReinfComponente& AReinf);
  std::string ClassName() const override { return "TevtPgtosDivs"; }

  TIdeEvento2 IdeEvento;
  TideBenef ideBenef;

 protected:
  void GerarCorpo() override;
  void LerIni(const IniFile& ini) override;
  bool ComValidacao() const override { return false; }
};

}  // namespace luvaro::reinf
