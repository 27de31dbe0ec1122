#include "reinf/modelos/evt_info_contri.h"

namespace luvaro::reinf {

TevtInfoContri::TevtInfoContri(TReinfComponente& AReinf)
    : TReinfEventoModelo(AReinf, TReinfSchema::schevtInfoContribuinte, "evtInfoContri") {}

void TevtInfoContri::GerarCorpo() {
  TGerador& g = Gerador();
  EscreverIdeEvento(IdeEvento, true);
  EscreverIdeContri(ideContri(), true);
  g.wGrupo("infoContri");
  AbrirOperacao(ModoLancamento);
  EscreverPeriodo(infoContribuinte.idePeriodo, "idePeriodo");
  if (ModoLancamento != TTipoOperacao::mlExclusao) {
    GerarInfoCadastro();
    if (ModoLancamento == TTipoOperacao::mlAlteracao && infoContribuinte.novaValidadeInst()) {
      EscreverPeriodo(infoContribuinte.novaValidade.Valor(), "novaValidade");
    }
  }
  FecharOperacao(ModoLancamento);
  g.wGrupo("/infoContri");
}

void TevtInfoContri::GerarInfoCadastro() {
  TGerador& g = Gerador();
  const TInfoCadastro& cadastro = infoContribuinte.infoCadastro();
  g.wGrupo("infoCadastro");
  g.wCampo(TTipoCampo::tcStr, "", "classTrib", 2, 2, 1, CodigoDe(cadastro.ClassTrib));
  g.wCampo(TTipoCampo::tcStr, "", "indEscrituracao", 1, 1, 1, CodigoDe(cadastro.indEscrituracao));
  g.wCampo(TTipoCampo::tcStr, "", "indDesoneracao", 1, 1, 1, CodigoDe(cadastro.indDesoneracao));
  g.wCampo(TTipoCampo::tcStr, "", "indAcordoIsenMulta", 1, 1, 1,
           CodigoDe(cadastro.indAcordoIsenMulta));
  g.wCampo(TTipoCampo::tcStr, "", "indSitPJ", 1, 1, 0, CodigoDe(cadastro.indSitPJ));

  const TContato& contato = cadastro.Contato;
  g.wGrupo("contato");
  g.wCampo(TTipoCampo::tcStr, "", "nmCtt", 1, 70, 1, contato.NmCtt);
  g.wCampo(TTipoCampo::tcStr, "", "cpfCtt", 11, 11, 1, contato.CpfCtt);
  g.wCampo(TTipoCampo::tcStr, "", "foneFixo", 1, 13, 0, contato.FoneFixo);
  g.wCampo(TTipoCampo::tcStr, "", "foneCel", 1, 13, 0, contato.FoneCel);
  g.wCampo(TTipoCampo::tcStr, "", "email", 1, 60, 0, contato.Email);
  g.wGrupo("/contato");

  for (const TSoftwareHouseCollectionItem& casa : cadastro.SoftwareHouse) {
    g.wGrupo("softHouse");
    g.wCampo(TTipoCampo::tcStr, "", "cnpjSoftHouse", 14, 14, 1, casa.CnpjSoftHouse);
    g.wCampo(TTipoCampo::tcStr, "", "nmRazao", 1, 115, 1, casa.NmRazao);
    g.wCampo(TTipoCampo::tcStr, "", "nmCont", 1, 70, 1, casa.NmCont);
    g.wCampo(TTipoCampo::tcStr, "", "telefone", 1, 13, 0, casa.Telefone);
    g.wCampo(TTipoCampo::tcStr, "", "email", 1, 60, 0, casa.email);
    g.wGrupo("/softHouse");
  }
  Escrita(ModoLancamento)
      .Limite(cadastro.SoftwareHouse.Count(), 99, "softHouse", "Lista de Software House");

  if (TipoContribuinte() == TContribuinte::tcOrgaoPublico) {
    g.wGrupo("infoEFR");
    g.wCampo(TTipoCampo::tcStr, "", "ideEFR", 1, 1, 1, CodigoDe(cadastro.infoEFR.ideEFR));
    g.wCampo(TTipoCampo::tcStr, "", "cnpjEFR", 14, 14, 0, cadastro.infoEFR.cnpjEFR);
    g.wGrupo("/infoEFR");
  }
  g.wGrupo("/infoCadastro");
}

void TevtInfoContri::LerIni(const IniFile& ini) {
  ModoLancamento = LerModoLancamento(ini);
  LerIdeEvento(ini, IdeEvento);
  LerPeriodo(ini, "idePeriodo", infoContribuinte.idePeriodo);
  if (ModoLancamento != TTipoOperacao::mlExclusao) LerInfoCadastro(ini);
  if (ModoLancamento == TTipoOperacao::mlAlteracao) {
    LerPeriodo(ini, "novaValidade", infoContribuinte.novaValidade());
  }
}

void TevtInfoContri::LerInfoCadastro(const IniFile& ini) {
  TInfoCadastro& cadastro = infoContribuinte.infoCadastro();
  const IniSectionReader secao(ini, "infoCadastro");
  cadastro.ClassTrib = ValorDoCodigo<TpClassTrib>(secao.Text("classTrib", "00"));
  cadastro.indEscrituracao = ValorDoCodigo<TindEscrituracao>(secao.Text("indEscrituracao", "0"));
  cadastro.indDesoneracao = ValorDoCodigo<TindDesoneracao>(secao.Text("indDesoneracao", "0"));
  cadastro.indAcordoIsenMulta =
      ValorDoCodigo<TindAcordoIsenMulta>(secao.Text("indAcordoIsenMulta", "0"));
  cadastro.indSitPJ = ValorDoCodigo<TindSitPJ>(secao.Text("indSitPJ", "0"));

  const IniSectionReader contato(ini, "contato");
  cadastro.Contato.NmCtt = contato.Text("nmCtt");
  cadastro.Contato.CpfCtt = contato.Text("cpfCtt");
  cadastro.Contato.FoneFixo = contato.Text("foneFixo");
  cadastro.Contato.FoneCel = contato.Text("foneCel");
  cadastro.Contato.Email = contato.Text("email");

  for (int i = 1;; ++i) {
    const IniSectionReader casa(ini, IniSectionName("softHouse", {{i, 2}}));
    const std::string cnpj = casa.Text("cnpjSoftHouse", "FIM");
    if (cnpj.empty() || cnpj == "FIM") break;
    TSoftwareHouseCollectionItem& item = cadastro.SoftwareHouse.New();
    item.CnpjSoftHouse = cnpj;
    item.NmRazao = casa.Text("nmRazao");
    item.NmCont = casa.Text("nmCont");
    item.Telefone = casa.Text("telefone");
    item.email = casa.Text("email");
  }

  const IniSectionReader efr(ini, "infoEFR");
  if (!efr.Text("ideEFR").empty()) {
    cadastro.infoEFR.ideEFR = ValorDoCodigo<TtpSimNao>(efr.Text("ideEFR", "S"));
    cadastro.infoEFR.cnpjEFR = efr.Text("cnpjEFR");
  }
}

}  // namespace luvaro::reinf
