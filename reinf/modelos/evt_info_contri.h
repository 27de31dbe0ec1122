#pragma once

#include <string>

#include "reinf/modelos/evento_modelo.h"

namespace luvaro::reinf {

struct TContato {
  std::string NmCtt;
  std::string CpfCtt;
  std::string FoneFixo;  // optional
  std::string FoneCel;   // optional
  std::string Email;     // optional
};

struct TSoftwareHouseCollectionItem {
  std::string CnpjSoftHouse;
  std::string NmRazao;
  std::string NmCont;
  std::string Telefone;  // optional
  std::string email;     // optional
};

// The public body's federative entity (written for public bodies only).
struct TinfoEFR {
  TtpSimNao ideEFR = TtpSimNao::tpSim;
  std::string cnpjEFR;  // optional
};

struct TInfoCadastro {
  TpClassTrib ClassTrib = TpClassTrib::ct00;
  TindEscrituracao indEscrituracao = TindEscrituracao::ieNaoObrig;
  TindDesoneracao indDesoneracao = TindDesoneracao::idNaoAplic;
  TindAcordoIsenMulta indAcordoIsenMulta = TindAcordoIsenMulta::aiSemAcordo;
  TindSitPJ indSitPJ = TindSitPJ::spNormal;
  TContato Contato;
  TListaModelo<TSoftwareHouseCollectionItem> SoftwareHouse;
  TinfoEFR infoEFR;
};

struct TinfoContribuinte {
  TidePeriodo idePeriodo;
  // Created on first access.
  TGrupoOpcional<TInfoCadastro> infoCadastro;
  TGrupoOpcional<TidePeriodo> novaValidade;

  bool infoCadastroInst() const { return infoCadastro.Existe(); }
  bool novaValidadeInst() const { return novaValidade.Existe(); }
};

// R-1000: the contributor's information.
class TevtInfoContri final : public TReinfEventoModelo {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teR1000;
  explicit TevtInfoContri(TReinfComponente& AReinf);
  std::string ClassName() const override { return "TevtInfoContri"; }

  TTipoOperacao ModoLancamento = TTipoOperacao::mlInclusao;
  TIdeEvento IdeEvento;
  TinfoContribuinte infoContribuinte;

 protected:
  void GerarCorpo() override;
  void LerIni(const IniFile& ini) override;

 private:
  void GerarInfoCadastro();
  void LerInfoCadastro(const IniFile& ini);
};

}  // namespace luvaro::reinf
