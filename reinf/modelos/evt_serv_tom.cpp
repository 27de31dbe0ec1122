#include "reinf/modelos/evt_serv_tom.h"

namespace luvaro::reinf {
namespace {

// The list limits of the event and their descriptions in the alerts.
constexpr int kMaximoNotas = 999;
constexpr int kMaximoTiposServico = 9;
constexpr int kMaximoProcessos = 50;

// Section digits of the numbered groups: nfs001, infoTpServ00101, infoProcRetPr01.
constexpr int kDigitosNotas = 3;
constexpr int kDigitosTiposServico = 2;
constexpr int kDigitosProcessos = 2;

// Reads numbered sections `nome` + `indice` + n from 1 while the key field is neither missing
// nor "FIM"; `ler` takes each section and its own index.
template <class T, class F>
void LerItens(const IniFile& ini, const std::string& nome, const std::string& indice, int digitos,
              const char* chave, TListaModelo<T>& lista, F ler) {
  for (int i = 1;; ++i) {
    const std::string proprio = indice + IniSectionName("", {{i, digitos}});
    const IniSectionReader secao(ini, nome + proprio);
    const std::string valor = secao.Text(chave, "FIM");
    if (valor.empty() || valor == "FIM") break;
    ler(secao, proprio, lista.New());
  }
}

}  // namespace

TevtServTom::TevtServTom(TReinfComponente& AReinf)
    : TReinfEventoModelo(AReinf, TReinfSchema::schevtTomadorServicos, "evtServTom") {}

void TevtServTom::GerarCorpo() {
  TGerador& g = Gerador();
  EscreverIdeEventoPeriodo(IdeEvento, true, true);
  EscreverIdeContri(ideContri(), true);

  const TideEstabObra& estab = infoServTom.ideEstabObra;
  const TidePrestServ& prestador = estab.idePrestServ;
  g.wGrupo("infoServTom");
  g.wGrupo("ideEstabObra");
  g.wCampo(TTipoCampo::tcStr, "", "tpInscEstab", 1, 1, 1, CodigoDe(estab.tpInscEstab));
  g.wCampo(TTipoCampo::tcStr, "", "nrInscEstab", 1, 14, 1, estab.nrInscEstab);
  g.wCampo(TTipoCampo::tcStr, "", "indObra", 1, 1, 1, CodigoDe(estab.indObra));
  g.wGrupo("idePrestServ");
  g.wCampo(TTipoCampo::tcStr, "", "cnpjPrestador", 14, 14, 1, prestador.cnpjPrestador);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalBruto", 1, 14, 1, prestador.vlrTotalBruto);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalBaseRet", 1, 14, 1, prestador.vlrTotalBaseRet);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalRetPrinc", 1, 14, 1, prestador.vlrTotalRetPrinc);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalRetAdic", 1, 14, 0, prestador.vlrTotalRetAdic);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalNRetPrinc", 1, 14, 0, prestador.vlrTotalNRetPrinc);
  g.wCampo(TTipoCampo::tcDe2, "", "vlrTotalNRetAdic", 1, 14, 0, prestador.vlrTotalNRetAdic);
  g.wCampo(TTipoCampo::tcStr, "", "indCPRB", 1, 1, 1, CodigoDe(prestador.indCPRB));
  GerarNotas(prestador);
  GerarProcessos(prestador);
  g.wGrupo("/idePrestServ");
  g.wGrupo("/ideEstabObra");
  g.wGrupo("/infoServTom");
}

void TevtServTom::GerarNotas(const TidePrestServ& prestador) {
  TGerador& g = Gerador();
  const TEscritaModelo e = Escrita(TTipoOperacao::mlInclusao);
  for (const TnfsCollectionItem& nota : prestador.nfs) {
    g.wGrupo("nfs");
    g.wCampo(TTipoCampo::tcStr, "", "serie", 1, 5, 1, nota.serie);
    g.wCampo(TTipoCampo::tcStr, "", "numDocto", 1, 15, 1, nota.numDocto);
    g.wCampo(TTipoCampo::tcDat, "", "dtEmissaoNF", 10, 10, 1, Variant::Date(nota.dtEmissaoNF));
    g.wCampo(TTipoCampo::tcDe2, "", "vlrBruto", 1, 14, 1, nota.vlrBruto);
    g.wCampo(TTipoCampo::tcStr, "", "obs", 1, 250, 0, nota.obs);
    for (const TinfoTpServCollectionItem& tipo : nota.infoTpServ) {
      g.wGrupo("infoTpServ");
      g.wCampo(TTipoCampo::tcStr, "", "tpServico", 1, 9, 1, tipo.tpServico);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrBaseRet", 1, 14, 1, tipo.vlrBaseRet);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrRetencao", 1, 14, 1, tipo.vlrRetencao);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrRetSub", 1, 14, 0, tipo.vlrRetSub);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrNRetPrinc", 1, 14, 0, tipo.vlrNRetPrinc);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrServicos15", 1, 14, 0, tipo.vlrServicos15);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrServicos20", 1, 14, 0, tipo.vlrServicos20);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrServicos25", 1, 14, 0, tipo.vlrServicos25);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrAdicional", 1, 14, 0, tipo.vlrAdicional);
      g.wCampo(TTipoCampo::tcDe2, "", "vlrNRetAdic", 1, 14, 0, tipo.vlrNRetAdic);
      g.wGrupo("/infoTpServ");
    }
    e.Limite(nota.infoTpServ.Count(), kMaximoTiposServico, "infoTpServ",
             "Lista de Informações sobre os tipos de serviços");
    g.wGrupo("/nfs");
  }
  e.Limite(prestador.nfs.Count(), kMaximoNotas, "nfs", "Lista de Notas Fiscais");
}

void TevtServTom::GerarProcessos(const TidePrestServ& prestador) {
  TGerador& g = Gerador();
  const TEscritaModelo e = Escrita(TTipoOperacao::mlInclusao);
  for (const TinfoProcRetPrCollectionItem& processo : prestador.infoProcRetPr) {
    g.wGrupo("infoProcRetPr");
    g.wCampo(TTipoCampo::tcStr, "", "tpProcRetPrinc", 1, 1, 1, CodigoDe(processo.tpProcRetPrinc));
    g.wCampo(TTipoCampo::tcStr, "", "nrProcRetPrinc", 1, 21, 1, processo.nrProcRetPrinc);
    g.wCampo(TTipoCampo::tcStr, "", "codSuspPrinc", 1, 14, 0, processo.codSuspPrinc);
    g.wCampo(TTipoCampo::tcDe2, "", "valorPrinc", 1, 14, 1, processo.valorPrinc);
    g.wGrupo("/infoProcRetPr");
  }
  e.Limite(prestador.infoProcRetPr.Count(), kMaximoProcessos, "infoProcRetPr",
           "Lista de Processos");
  for (const TinfoProcRetAdCollectionItem& processo : prestador.infoProcRetAd) {
    g.wGrupo("infoProcRetAd");
    g.wCampo(TTipoCampo::tcStr, "", "tpProcRetAdic", 1, 1, 1, CodigoDe(processo.tpProcRetAdic));
    g.wCampo(TTipoCampo::tcStr, "", "nrProcRetAdic", 1, 21, 1, processo.nrProcRetAdic);
    g.wCampo(TTipoCampo::tcStr, "", "codSuspAdic", 1, 14, 0, processo.codSuspAdic);
    g.wCampo(TTipoCampo::tcDe2, "", "valorAdic", 1, 14, 1, processo.valorAdic);
    g.wGrupo("/infoProcRetAd");
  }
  e.Limite(prestador.infoProcRetAd.Count(), kMaximoProcessos, "infoProcRetAd",
           "Lista de Processos");
}

void TevtServTom::LerIni(const IniFile& ini) {
  LerIdeEvento2(ini, IdeEvento);

  TideEstabObra& estab = infoServTom.ideEstabObra;
  const IniSectionReader secaoEstab(ini, "ideEstabObra");
  estab.tpInscEstab = StrToTpInsc(secaoEstab.Text("tpInscEstab", "1"));
  estab.nrInscEstab = secaoEstab.Text("nrInscEstab");
  estab.indObra = ValorDoCodigo<TpindObra>(secaoEstab.Text("indObra", "0"));

  TidePrestServ& prestador = estab.idePrestServ;
  const IniSectionReader secao(ini, "idePrestServ");
  prestador.cnpjPrestador = secao.Text("cnpjPrestador");
  prestador.vlrTotalBruto = secao.Decimal("vlrTotalBruto");
  prestador.vlrTotalBaseRet = secao.Decimal("vlrTotalBaseRet");
  prestador.vlrTotalRetPrinc = secao.Decimal("vlrTotalRetPrinc");
  prestador.vlrTotalRetAdic = secao.Decimal("vlrTotalRetAdic");
  prestador.vlrTotalNRetPrinc = secao.Decimal("vlrTotalNRetPrinc");
  prestador.vlrTotalNRetAdic = secao.Decimal("vlrTotalNRetAdic");
  prestador.indCPRB = ValorDoCodigo<TpindCPRB>(secao.Text("indCPRB", "0"));

  LerItens(ini, "nfs", "", kDigitosNotas, "serie", prestador.nfs,
           [&ini](const IniSectionReader& s, const std::string& indice, TnfsCollectionItem& nota) {
             nota.serie = s.Text("serie");
             nota.numDocto = s.Text("numDocto");
             nota.dtEmissaoNF = s.Date("dtEmissaoNF");
             nota.vlrBruto = s.Decimal("vlrBruto");
             nota.obs = s.Text("obs");
             LerItens(ini, "infoTpServ", indice, kDigitosTiposServico, "tpServico", nota.infoTpServ,
                      [](const IniSectionReader& t, const std::string&,
                         TinfoTpServCollectionItem& tipo) {
                        tipo.tpServico = t.Text("tpServico");
                        tipo.vlrBaseRet = t.Decimal("vlrBaseRet");
                        tipo.vlrRetencao = t.Decimal("vlrRetencao");
                        tipo.vlrRetSub = t.Decimal("vlrRetSub");
                        tipo.vlrNRetPrinc = t.Decimal("vlrNRetPrinc");
                        tipo.vlrServicos15 = t.Decimal("vlrServicos15");
                        tipo.vlrServicos20 = t.Decimal("vlrServicos20");
                        tipo.vlrServicos25 = t.Decimal("vlrServicos25");
                        tipo.vlrAdicional = t.Decimal("vlrAdicional");
                        tipo.vlrNRetAdic = t.Decimal("vlrNRetAdic");
                      });
           });
  LerItens(ini, "infoProcRetPr", "", kDigitosProcessos, "tpProcRetPrinc", prestador.infoProcRetPr,
           [](const IniSectionReader& s, const std::string&, TinfoProcRetPrCollectionItem& p) {
             p.tpProcRetPrinc = ValorDoCodigo<TtpProc>(s.Text("tpProcRetPrinc"));
             p.nrProcRetPrinc = s.Text("nrProcRetPrinc");
             p.codSuspPrinc = s.Text("codSuspPrinc");
             p.valorPrinc = s.Decimal("valorPrinc");
           });
  LerItens(ini, "infoProcRetAd", "", kDigitosProcessos, "tpProcRetAdic", prestador.infoProcRetAd,
           [](const IniSectionReader& s, const std::string&, TinfoProcRetAdCollectionItem& p) {
             p.tpProcRetAdic = ValorDoCodigo<TtpProc>(s.Text("tpProcRetAdic"));
             p.nrProcRetAdic = s.Text("nrProcRetAdic");
             p.codSuspAdic = s.Text("codSuspAdic");
             p.valorAdic = s.Decimal("valorAdic");
           });
}

}  // namespace luvaro::reinf
