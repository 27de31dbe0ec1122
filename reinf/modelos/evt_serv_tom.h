#pragma once

#include <string>

#include "reinf/modelos/evento_modelo.h"

namespace luvaro::reinf {

// A service type of an invoice.
struct TinfoTpServCollectionItem {
  std::string tpServico;
  double vlrBaseRet = 0;
  double vlrRetencao = 0;
  double vlrRetSub = 0;  // this and the following amounts are optional (0 is not written)
  double vlrNRetPrinc = 0;
  double vlrServicos15 = 0;
  double vlrServicos20 = 0;
  double vlrServicos25 = 0;
  double vlrAdicional = 0;
  double vlrNRetAdic = 0;
};

// An invoice of the service provider.
struct TnfsCollectionItem {
  std::string serie;
  std::string numDocto;
  DateTime dtEmissaoNF = 0;
  double vlrBruto = 0;
  std::string obs;  // optional
  TListaModelo<TinfoTpServCollectionItem> infoTpServ;
};

// A process suspending the main or the additional withholding.
struct TinfoProcRetPrCollectionItem {
  TtpProc tpProcRetPrinc = TtpProc::tpAdministrativo;
  std::string nrProcRetPrinc;
  std::string codSuspPrinc;  // optional, up to 14 digits
  double valorPrinc = 0;
};

struct TinfoProcRetAdCollectionItem {
  TtpProc tpProcRetAdic = TtpProc::tpAdministrativo;
  std::string nrProcRetAdic;
  std::string codSuspAdic;  // optional, up to 14 digits
  double valorAdic = 0;
};

struct TidePrestServ {
  std::string cnpjPrestador;
  double vlrTotalBruto = 0;
  double vlrTotalBaseRet = 0;
  double vlrTotalRetPrinc = 0;
  double vlrTotalRetAdic = 0;  // this and the two following are optional (0 is not written)
  double vlrTotalNRetPrinc = 0;
  double vlrTotalNRetAdic = 0;
  TpindCPRB indCPRB = TpindCPRB::cprbNaoContribuinte;
  TListaModelo<TnfsCollectionItem> nfs;
  TListaModelo<TinfoProcRetPrCollectionItem> infoProcRetPr;
  TListaModelo<TinfoProcRetAdCollectionItem> infoProcRetAd;
};

struct TideEstabObra {
  TtpInsc tpInscEstab = TtpInsc::tiCNPJ;
  std::string nrInscEstab;
  TpindObra indObra = TpindObra::ioNaoeObraDeConstrucaoCivil;
  TidePrestServ idePrestServ;
};

struct TinfoServTom {
  TideEstabObra ideEstabObra;
};

// R-2010: services taken under labour assignment or contract work. Amounts are written with
// two decimals and the decimal comma (1234.5 as 1234,50).
class TevtServTom final : public TReinfEventoModelo {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teR2010;
  explicit TevtServTom(TReinfComponente& AReinf);
  std::string ClassName() const override { return "TevtServTom"; }

  TIdeEvento2 IdeEvento;
  TinfoServTom infoServTom;

 protected:
  void GerarCorpo() override;
  void LerIni(const IniFile& ini) override;

 private:
  void GerarNotas(const TidePrestServ& prestador);
  void GerarProcessos(const TidePrestServ& prestador);
};

}  // namespace luvaro::reinf
