#include "reinf/modelos/evt_pgtos_divs.h"

namespace luvaro::reinf {
namespace {

constexpr int kMaximoPagamentos = 999;

}  // namespace

TevtPgtosDivs::TevtPgtosDivs(TReinfComponente& AReinf)
    : TReinfEventoModelo(AReinf, TReinfSchema::schevtPgtosDivs, "evtPgtosDivs") {}

void TevtPgtosDivs::GerarCorpo() {
  TGerador& g = Gerador();
  EscreverIdeEventoPeriodo(IdeEvento, true, true);
  EscreverIdeContri(ideContri(), true);

  g.wGrupo("ideBenef");
  g.wCampo(TTipoCampo::tcStr, "", "codPgto", 1, 4, 1, ideBenef.codPgto);
  g.wCampo(TTipoCampo::tcStr, "", "tpInscBenef", 1, 1, 0, CodigoDe(ideBenef.tpInscBenef));
  g.wCampo(TTipoCampo::tcStr, "", "nrInscBenef", 11, 14, 0, ideBenef.nrInscBenef);
  g.wCampo(TTipoCampo::tcStr, "", "nmRazaoBenef", 1, 150, 1, ideBenef.nmRazaoBenef);
  if (ideBenef.infoResidExt.Existe()) {
    const TinfoResidExt& exterior = ideBenef.infoResidExt.Valor();
    g.wGrupo("infoResidExt");
    g.wCampo(TTipoCampo::tcStr, "", "paisResid", 3, 3, 1, exterior.paisResid);
    g.wCampo(TTipoCampo::tcStr, "", "indNIF", 1, 1, 1, CodigoDe(exterior.indNIF));
    g.wCampo(TTipoCampo::tcStr, "", "nifBenef", 1, 20, 0, exterior.nifBenef);
    g.wGrupo("/infoResidExt");
  }
  if (ideBenef.infoMolestia.Existe()) {
    g.wGrupo("infoMolestia");
    g.wCampo(TTipoCampo::tcDat, "", "dtLaudo", 10, 10, 1,
             Variant::Date(ideBenef.infoMolestia.Valor().dtLaudo));
    g.wGrupo("/infoMolestia");
  }
  g.wGrupo("infoPgto");
  g.wGrupo("ideEstab");
  g.wCampo(TTipoCampo::tcStr, "", "tpInsc", 1, 1, 1, CodigoDe(TtpInsc::tiCNPJ));
  g.wCampo(TTipoCampo::tcStr, "", "nrInsc", 14, 14, 1, ideBenef.nrInscEstab);
  for (const TinfoPgtoCollectionItem& pagamento : ideBenef.infoPgto) {
    g.wGrupo("pgtoResidBR");
    g.wCampo(TTipoCampo::tcDat, "", "dtPgto", 10, 10, 1, Variant::Date(pagamento.dtPgto));
    g.wCampo(TTipoCampo::tcDe2, "", "vlrRendTributavel", 1, 14, 1, pagamento.vlrRendTributavel);
    g.wCampo(TTipoCampo::tcDe2, "", "vlrIR", 1, 14, 0, pagamento.vlrIR);
    g.wGrupo("/pgtoResidBR");
  }
  Escrita(TTipoOperacao::mlInclusao)
      .Limite(ideBenef.infoPgto.Count(), kMaximoPagamentos, "pgtoResidBR", "Lista de Pagamentos");
  g.wGrupo("/ideEstab");
  g.wGrupo("/infoPgto");
  g.wGrupo("/ideBenef");
}

void TevtPgtosDivs::LerIni(const IniFile& ini) {
  LerIdeEvento2(ini, IdeEvento);
  const IniSectionReader secao(ini, "ideBenef");
  ideBenef.codPgto = secao.Text("codPgto");
  ideBenef.tpInscBenef = StrToTpInsc(secao.Text("tpInscBenef", "1"));
  ideBenef.nrInscBenef = secao.Text("nrInscBenef");
  ideBenef.nmRazaoBenef = secao.Text("nmRazaoBenef");

  const IniSectionReader exterior(ini, "infoResidExt");
  if (!exterior.Text("paisResid").empty()) {
    TinfoResidExt& residente = ideBenef.infoResidExt();
    residente.paisResid = exterior.Text("paisResid");
    residente.indNIF = ValorDoCodigo<TindNIF>(exterior.Text("indNIF", "1"));
    residente.nifBenef = exterior.Text("nifBenef");
  }
  const IniSectionReader molestia(ini, "infoMolestia");
  if (molestia.Date("dtLaudo") != 0) ideBenef.infoMolestia().dtLaudo = molestia.Date("dtLaudo");

  ideBenef.nrInscEstab = IniSectionReader(ini, "ideEstab").Text("nrInsc");
  for (int i = 1;; ++i) {
    const IniSectionReader pagamento(ini, IniSectionName("pgtoResidBR", {{i, 3}}));
    if (pagamento.Date("dtPgto") == 0) break;
    TinfoPgtoCollectionItem& item = ideBenef.infoPgto.New();
    item.dtPgto = pagamento.Date("dtPgto");
    item.vlrRendTributavel = pagamento.Decimal("vlrRendTributavel");
    item.vlrIR = pagamento.Decimal("vlrIR");
  }
}

}  // namespace luvaro::reinf
