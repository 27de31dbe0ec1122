#pragma once

#include <string>

#include "dfe/xml/data_hora.h"
#include "esocial/modelos/evento_modelo.h"

namespace luvaro {

// S-1000: the employer's registration data.

namespace s1000 {

struct TDadosIsencao {
  std::string IdeMinLei;
  std::string NrCertif;
  DateTime DtEmisCertif = 0;
  DateTime DtVencCertif = 0;
  std::string NrProtRenov;
  DateTime DtProtRenov = 0;  // not written when zero
  DateTime DtDou = 0;        // not written when zero
  std::string PagDou;
};

struct TContato {
  std::string NmCtt;
  std::string CpfCtt;
  std::string FoneFixo;
  std::string FoneCel;
  std::string Email;
};

struct TInfoEFR {
  tpSimNao ideEFR = tpSimNao::tpSim;
  std::string cnpjEFR;
};

struct TInfoEnte {
  std::string nmEnte;
  tpuf uf = tpuf::ufAC;
  int codMunic = 0;  // not written when zero
  tpSimNao indRPPS = tpSimNao::tpSim;
  tpIdeSubteto subteto = tpIdeSubteto::idsExecutivo;
  double vrSubteto = 0;
};

// Public bodies: written when nrSiafi is filled.
struct TInfoOp {
  std::string nrSiafi;
  TGrupoOpcional<TInfoEFR> infoEFR;
  TGrupoOpcional<TInfoEnte> infoEnte;  // written when nmEnte is filled
};

struct TInfoOrgInternacional {
  tpIndAcordoIsencaoMulta IndAcordoIsenMulta = tpIndAcordoIsencaoMulta::iaiSemAcordo;
};

struct TSoftwareHouse {
  std::string CnpjSoftHouse;
  std::string NmRazao;
  std::string NmCont;
  std::string Telefone;
  std::string email;
};

struct TSituacaoPJ {
  tpIndSitPJ IndSitPJ = tpIndSitPJ::spNormal;
};
struct TSituacaoPF {
  tpIndSitPF IndSitPF = tpIndSitPF::spfNormal;
};
struct TInfoComplementares {
  TGrupoOpcional<TSituacaoPJ> SituacaoPJ;
  TGrupoOpcional<TSituacaoPF> SituacaoPF;
};

struct TInfoCadastro {
  std::string NmRazao;
  TpClassTrib ClassTrib = TpClassTrib::ct00;
  std::string NatJurid;  // CNPJ employers only
  TpIndCoop IndCoop = TpIndCoop::icNaoeCooperativa;
  TpIndConstr IndConstr = TpIndConstr::iconNaoeConstrutora;
  TpIndDesFolha IndDesFolha = TpIndDesFolha::idfNaoAplicavel;
  TpIndOptRegEletron IndOptRegEletron = TpIndOptRegEletron::iorNaoOptou;
  TpIndOpcCP IndOpcCP = TpIndOpcCP::icpNenhum;
  tpSimNao IndEntEd = tpSimNao::tpSim;
  tpSimNao IndEtt = tpSimNao::tpSim;
  std::string nrRegEtt;
  TGrupoOpcional<TDadosIsencao> DadosIsencao;
  TContato Contato;
  TGrupoOpcional<TInfoOp> InfoOp;
  TGrupoOpcional<TInfoOrgInternacional> InfoOrgInternacional;
  TListaModelo<TSoftwareHouse> SoftwareHouse;  // at most 99
  TInfoComplementares InfoComplementares;
};

struct TInfoEmpregador {
  TIdePeriodo idePeriodo;
  TInfoCadastro infoCadastro;
  TGrupoOpcional<TIdePeriodo> novaValidade;  // alteration mode only
};

}  // namespace s1000

class TevtInfoEmpregador final : public TeSocialEventoModelo {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1000;
  explicit TevtInfoEmpregador(TDFeComponente* AeSocial);
  std::string ClassName() const override { return "TevtInfoEmpregador"; }

  TModoLancamento ModoLancamento = TModoLancamento::mlInclusao;
  TIdeEvento ideEvento;
  s1000::TInfoEmpregador infoEmpregador;

 protected:
  void GerarCorpo() override;
  void LerIni(const IniFile& ini) override;

 private:
  void GerarInfoCadastro();
  void GerarDadosIsencao(const s1000::TDadosIsencao& dados);
  void GerarContato(const s1000::TContato& contato);
  void GerarInfoOp(const s1000::TInfoOp& info);
  void GerarSoftwareHouse(const TListaModelo<s1000::TSoftwareHouse>& lista);
  void GerarInfoComplementares(const s1000::TInfoComplementares& info);
  void LerInfoCadastro(const IniFile& ini);
};

}  // namespace luvaro
