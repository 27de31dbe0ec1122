#include "esocial/modelos/evt_info_empregador.h"

#include <cmath>

#include "dfe/config/ini_values.h"
#include "esocial/esocial_componente.h"

namespace luvaro {
namespace {

bool DataInformada(DateTime data) {
  return std::trunc(data) != 0;
}

}  // namespace

TevtInfoEmpregador::TevtInfoEmpregador(TDFeComponente* AeSocial)
    : TeSocialEventoModelo(AeSocial, TeSocialSchema::schevtInfoEmpregador, "evtInfoEmpregador") {}

void TevtInfoEmpregador::GerarCorpo() {
  TGerador& g = Gerador();
  GerarIdeEvento(ideEvento);
  GerarIdeEmpregador();

  g.wGrupo("infoEmpregador");
  GerarModoAbertura(ModoLancamento);
  GerarIdePeriodo(infoEmpregador.idePeriodo, "idePeriodo");
  if (ModoLancamento != TModoLancamento::mlExclusao) GerarInfoCadastro();
  if (ModoLancamento == TModoLancamento::mlAlteracao && infoEmpregador.novaValidade.Existe()) {
    GerarIdePeriodo(infoEmpregador.novaValidade.Valor(), "novaValidade");
  }
  GerarModoFechamento(ModoLancamento);
  g.wGrupo("/infoEmpregador");
}

void TevtInfoEmpregador::GerarInfoCadastro() {
  TGerador& g = Gerador();
  const s1000::TInfoCadastro& info = infoEmpregador.infoCadastro;
  // Legal nature, cooperative, builder and education entity exist only for a company.
  const bool cnpj = ideEmpregador().TpInsc() == tpTpInsc::tiCNPJ;

  g.wGrupo("infoCadastro");
  g.wCampo(TTipoCampo::tcStr, "", "nmRazao", 1, 100, 1, info.NmRazao);
  g.wCampo(TTipoCampo::tcStr, "", "classTrib", 2, 2, 1, CodigoDe(info.ClassTrib));
  if (cnpj) {
    g.wCampo(TTipoCampo::tcStr, "", "natJurid", 4, 4, 0, info.NatJurid);
    g.wCampo(TTipoCampo::tcStr, "", "indCoop", 1, 1, 0, CodigoDe(info.IndCoop));
    g.wCampo(TTipoCampo::tcStr, "", "indConstr", 1, 1, 0, CodigoDe(info.IndConstr));
  }
  g.wCampo(TTipoCampo::tcStr, "", "indDesFolha", 1, 1, 1, CodigoDe(info.IndDesFolha));
  const bool opcaoCP = info.ClassTrib == TpClassTrib::ct07 || info.ClassTrib == TpClassTrib::ct08 ||
                       info.ClassTrib == TpClassTrib::ct21;
  if (static_cast<int>(VersaoDF()) > 1 && opcaoCP && info.IndOpcCP != TpIndOpcCP::icpNenhum) {
    g.wCampo(TTipoCampo::tcStr, "", "indOpcCP", 1, 1, 1, CodigoDe(info.IndOpcCP));
  }
  g.wCampo(TTipoCampo::tcStr, "", "indOptRegEletron", 1, 1, 1, CodigoDe(info.IndOptRegEletron));
  if (cnpj) g.wCampo(TTipoCampo::tcStr, "", "indEntEd", 1, 1, 0, CodigoDe(info.IndEntEd));
  g.wCampo(TTipoCampo::tcStr, "", "indEtt", 1, 1, 1, CodigoDe(info.IndEtt));
  g.wCampo(TTipoCampo::tcStr, "", "nrRegEtt", 0, 30, 0, info.nrRegEtt);

  if (info.DadosIsencao.Existe()) GerarDadosIsencao(info.DadosIsencao.Valor());
  GerarContato(info.Contato);
  if (info.InfoOp.Existe()) GerarInfoOp(info.InfoOp.Valor());
  if (info.InfoOrgInternacional.Existe()) {
    g.wGrupo("infoOrgInternacional");
    g.wCampo(TTipoCampo::tcStr, "", "indAcordoIsenMulta", 1, 1, 1,
             CodigoDe(info.InfoOrgInternacional.Valor().IndAcordoIsenMulta));
    g.wGrupo("/infoOrgInternacional");
  }
  GerarSoftwareHouse(info.SoftwareHouse);
  GerarInfoComplementares(info.InfoComplementares);
  g.wGrupo("/infoCadastro");
}

void TevtInfoEmpregador::GerarDadosIsencao(const s1000::TDadosIsencao& dados) {
  TGerador& g = Gerador();
  g.wGrupo("dadosIsencao");
  g.wCampo(TTipoCampo::tcStr, "", "ideMinLei", 1, 70, 1, dados.IdeMinLei);
  g.wCampo(TTipoCampo::tcStr, "", "nrCertif", 1, 40, 1, dados.NrCertif);
  g.wCampo(TTipoCampo::tcDat, "", "dtEmisCertif", 10, 10, 1, Variant::Date(dados.DtEmisCertif));
  g.wCampo(TTipoCampo::tcDat, "", "dtVencCertif", 10, 10, 1, Variant::Date(dados.DtVencCertif));
  g.wCampo(TTipoCampo::tcStr, "", "nrProtRenov", 0, 40, 0, dados.NrProtRenov);
  if (DataInformada(dados.DtProtRenov)) {
    g.wCampo(TTipoCampo::tcDat, "", "dtProtRenov", 10, 10, 0, Variant::Date(dados.DtProtRenov));
  }
  if (DataInformada(dados.DtDou)) {
    g.wCampo(TTipoCampo::tcDat, "", "dtDou", 10, 10, 0, Variant::Date(dados.DtDou));
  }
  g.wCampo(TTipoCampo::tcStr, "", "pagDou", 1, 5, 0, dados.PagDou);
  g.wGrupo("/dadosIsencao");
}

void TevtInfoEmpregador::GerarContato(const s1000::TContato& contato) {
  TGerador& g = Gerador();
  g.wGrupo("contato");
  g.wCampo(TTipoCampo::tcStr, "", "nmCtt", 1, 70, 1, contato.NmCtt);
  g.wCampo(TTipoCampo::tcStr, "", "cpfCtt", 11, 11, 1, contato.CpfCtt);
  g.wCampo(TTipoCampo::tcStr, "", "foneFixo", 1, 13, 0, contato.FoneFixo);
  g.wCampo(TTipoCampo::tcStr, "", "foneCel", 1, 13, 0, contato.FoneCel);
  g.wCampo(TTipoCampo::tcStr, "", "email", 1, 60, 0, contato.Email);
  g.wGrupo("/contato");
}

void TevtInfoEmpregador::GerarInfoOp(const s1000::TInfoOp& info) {
  if (info.nrSiafi.empty()) return;
  TGerador& g = Gerador();
  g.wGrupo("infoOP");
  g.wCampo(TTipoCampo::tcStr, "", "nrSiafi", 1, 6, 1, info.nrSiafi);
  // Written whenever it exists: a body that is its own federative entity (ideEFR "S") has
  // no cnpjEFR, and leaving the group out would lose that answer.
  if (info.infoEFR.Existe()) {
    const s1000::TInfoEFR& efr = info.infoEFR.Valor();
    g.wGrupo("infoEFR");
    g.wCampo(TTipoCampo::tcStr, "", "ideEFR", 1, 1, 1, CodigoDe(efr.ideEFR));
    // The 2.04 layouts take the root of the CNPJ as well (8 to 14 digits), 2.05 the whole.
    const int minimo = static_cast<int>(VersaoDF()) > 1 ? 14 : 8;
    g.wCampo(TTipoCampo::tcStr, "", "cnpjEFR", minimo, 14, 0, efr.cnpjEFR);
    g.wGrupo("/infoEFR");
  }
  if (info.infoEnte.Existe() && !info.infoEnte.Valor().nmEnte.empty()) {
    const s1000::TInfoEnte& ente = info.infoEnte.Valor();
    g.wGrupo("infoEnte");
    g.wCampo(TTipoCampo::tcStr, "", "nmEnte", 1, 100, 1, ente.nmEnte);
    g.wCampo(TTipoCampo::tcStr, "", "uf", 2, 2, 1, CodigoDe(ente.uf));
    g.wCampo(TTipoCampo::tcInt, "", "codMunic", 7, 7, 0, ente.codMunic);
    g.wCampo(TTipoCampo::tcStr, "", "indRPPS", 1, 1, 1, CodigoDe(ente.indRPPS));
    g.wCampo(TTipoCampo::tcStr, "", "subteto", 1, 1, 1, CodigoDe(ente.subteto));
    g.wCampo(TTipoCampo::tcDe2, "", "vrSubteto", 1, 14, 1, ente.vrSubteto);
    g.wGrupo("/infoEnte");
  }
  g.wGrupo("/infoOP");
}

void TevtInfoEmpregador::GerarSoftwareHouse(const TListaModelo<s1000::TSoftwareHouse>& lista) {
  TGerador& g = Gerador();
  for (const s1000::TSoftwareHouse& item : lista) {
    g.wGrupo("softwareHouse");
    g.wCampo(TTipoCampo::tcStr, "", "cnpjSoftHouse", 14, 14, 1, item.CnpjSoftHouse);
    g.wCampo(TTipoCampo::tcStr, "", "nmRazao", 1, 100, 1, item.NmRazao);
    g.wCampo(TTipoCampo::tcStr, "", "nmCont", 1, 70, 1, item.NmCont);
    g.wCampo(TTipoCampo::tcStr, "", "telefone", 1, 13, 1, item.Telefone);
    g.wCampo(TTipoCampo::tcStr, "", "email", 1, 60, 0, item.email);
    g.wGrupo("/softwareHouse");
  }
  Escrita(ModoLancamento).Limite(lista.Count(), 99, "softwareHouse", "Lista de Software House");
}

void TevtInfoEmpregador::GerarInfoComplementares(const s1000::TInfoComplementares& info) {
  TGerador& g = Gerador();
  g.wGrupo("infoComplementares");
  if (info.SituacaoPJ.Existe()) {
    g.wGrupo("situacaoPJ");
    g.wCampo(TTipoCampo::tcStr, "", "indSitPJ", 1, 1, 1,
             CodigoDe(info.SituacaoPJ.Valor().IndSitPJ));
    g.wGrupo("/situacaoPJ");
  }
  if (info.SituacaoPF.Existe()) {
    g.wGrupo("situacaoPF");
    g.wCampo(TTipoCampo::tcStr, "", "indSitPF", 1, 1, 1,
             CodigoDe(info.SituacaoPF.Valor().IndSitPF));
    g.wGrupo("/situacaoPF");
  }
  g.wGrupo("/infoComplementares");
}

void TevtInfoEmpregador::LerIni(const IniFile& ini) {
  ModoLancamento = LerModoLancamento(ini);
  LerIdeEvento(ini, ideEvento);
  LerIdePeriodo(ini, "idePeriodo", infoEmpregador.idePeriodo);
  if (ModoLancamento != TModoLancamento::mlExclusao) LerInfoCadastro(ini);
  if (ModoLancamento == TModoLancamento::mlAlteracao) {
    LerIdePeriodo(ini, "novaValidade", infoEmpregador.novaValidade());
  }
}

void TevtInfoEmpregador::LerInfoCadastro(const IniFile& ini) {
  s1000::TInfoCadastro& info = infoEmpregador.infoCadastro;
  const IniSectionReader cadastro(ini, "infoCadastro");
  info.NmRazao = cadastro.Text("nmRazao");
  info.ClassTrib = ValorDoCodigo<TpClassTrib>(cadastro.Text("classTrib", "00"));
  info.NatJurid = cadastro.Text("natJurid");
  info.IndCoop = ValorDoCodigo<TpIndCoop>(cadastro.Text("indCoop", "0"));
  info.IndConstr = ValorDoCodigo<TpIndConstr>(cadastro.Text("indConstr", "0"));
  info.IndDesFolha = ValorDoCodigo<TpIndDesFolha>(cadastro.Text("indDesFolha", "0"));
  info.IndOpcCP = ValorDoCodigo<TpIndOpcCP>(cadastro.Text("indOpcCP", "0"));
  info.IndOptRegEletron = ValorDoCodigo<TpIndOptRegEletron>(cadastro.Text("indOptRegEletron", "0"));
  info.IndEntEd = ValorDoCodigo<tpSimNao>(cadastro.Text("indEntEd", "S"));
  info.IndEtt = ValorDoCodigo<tpSimNao>(cadastro.Text("indEtt", "S"));
  info.nrRegEtt = cadastro.Text("nrRegEtt");

  const IniSectionReader isencao(ini, "dadosIsencao");
  if (!isencao.Text("ideMinLei").empty()) {
    s1000::TDadosIsencao& dados = info.DadosIsencao();
    dados.IdeMinLei = isencao.Text("ideMinLei");
    dados.NrCertif = isencao.Text("nrCertif");
    dados.DtEmisCertif = isencao.Date("dtEmisCertif");
    dados.DtVencCertif = isencao.Date("dtVencCertif");
    dados.NrProtRenov = isencao.Text("nrProtRenov");
    dados.DtProtRenov = isencao.Date("dtProtRenov");
    dados.DtDou = isencao.Date("dtDou");
    dados.PagDou = isencao.Text("pagDou");
  }

  const IniSectionReader contato(ini, "contato");
  info.Contato.NmCtt = contato.Text("nmCtt");
  info.Contato.CpfCtt = contato.Text("cpfCtt");
  info.Contato.FoneFixo = contato.Text("foneFixo");
  info.Contato.FoneCel = contato.Text("foneCel");
  info.Contato.Email = contato.Text("email");

  const IniSectionReader infoOP(ini, "infoOP");
  if (!infoOP.Text("nrSiafi").empty()) {
    s1000::TInfoOp& op = info.InfoOp();
    op.nrSiafi = infoOP.Text("nrSiafi");
    const IniSectionReader infoEFR(ini, "infoEFR");
    if (!infoEFR.Text("ideEFR").empty()) {
      op.infoEFR().ideEFR = ValorDoCodigo<tpSimNao>(infoEFR.Text("ideEFR", "S"));
      op.infoEFR().cnpjEFR = infoEFR.Text("cnpjEFR");
    }
    const IniSectionReader infoEnte(ini, "infoEnte");
    if (!infoEnte.Text("nmEnte").empty()) {
      s1000::TInfoEnte& ente = op.infoEnte();
      ente.nmEnte = infoEnte.Text("nmEnte");
      ente.uf = ValorDoCodigo<tpuf>(infoEnte.Text("uf", "SP"));
      ente.codMunic = static_cast<int>(infoEnte.Integer("codMunic", 0));
      ente.indRPPS = ValorDoCodigo<tpSimNao>(infoEnte.Text("indRPPS", "S"));
      ente.subteto = ValorDoCodigo<tpIdeSubteto>(infoEnte.Text("subteto", "1"));
      ente.vrSubteto = infoEnte.Decimal("vrSubteto");
    }
  }

  const IniSectionReader internacional(ini, "infoOrgInternacional");
  if (!internacional.Text("indAcordoIsenMulta").empty()) {
    info.InfoOrgInternacional().IndAcordoIsenMulta =
        ValorDoCodigo<tpIndAcordoIsencaoMulta>(internacional.Text("indAcordoIsenMulta", "0"));
  }

  // The list ends at the first number without a CNPJ; more than 99 are read and alerted.
  for (int i = 1;; ++i) {
    const IniSectionReader secao(ini, IniSectionName("softwareHouse", {{i, 2}}));
    const std::string cnpj = secao.Text("cnpjSoftHouse", "FIM");
    if (cnpj.empty() || cnpj == "FIM") break;
    s1000::TSoftwareHouse& item = info.SoftwareHouse.New();
    item.CnpjSoftHouse = cnpj;
    item.NmRazao = secao.Text("nmRazao");
    item.NmCont = secao.Text("nmCont");
    item.Telefone = secao.Text("telefone");
    item.email = secao.Text("email");
  }

  const IniSectionReader complementares(ini, "infoComplementares");
  if (!complementares.Text("indSitPJ").empty()) {
    info.InfoComplementares.SituacaoPJ().IndSitPJ =
        ValorDoCodigo<tpIndSitPJ>(complementares.Text("indSitPJ", "0"));
  }
  if (!complementares.Text("indSitPF").empty()) {
    info.InfoComplementares.SituacaoPF().IndSitPF =
        ValorDoCodigo<tpIndSitPF>(complementares.Text("indSitPF", "0"));
  }
}

}  // namespace luvaro
