#include "dfe/xml/gerador.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

// 17 May 2019 is day 43602 counted from 30 December 1899 (the spreadsheet serial of that day).
constexpr double k17Maio2019 = 43602.0;
constexpr double k0830 = 8.5 / 24.0;

using Alertas = std::vector<std::string>;

struct CampoCase {
  const char* name;
  TTipoCampo tipo;
  int min, max, ocorrencias;
  Variant valor;
  const char* xml;
  Alertas alertas;
  bool suprimirDecimais = false;
  bool parseTexto = true;
  bool tagVaziaResumida = true;
  const char* atributo = "";
};

TEST(TGerador, wCampoPorTipoPresencaTamanhoEFiltro) {
  using enum TTipoCampo;
  const CampoCase cases[] = {
      // presence
      {"optional empty str writes nothing", tcStr, 0, 10, 0, "", "", {}},
      {"optional blanks-only str writes nothing", tcStr, 0, 10, 0, "   ", "", {}},
      {"mandatory empty str min 0: short empty element", tcStr, 0, 10, 1, "", "<f/>", {}},
      {"mandatory empty str min 1: alert",
       tcStr,
       1,
       10,
       1,
       "",
       "<f/>",
       {"f:Nenhum valor informado"}},
      {"mandatory empty long form",
       tcStr,
       1,
       10,
       1,
       "",
       "<f></f>",
       {"f:Nenhum valor informado"},
       false,
       true,
       false},
      {"str trimmed", tcStr, 0, 10, 0, "  abc  ", "<f>abc</f>", {}},
      {"attribute", tcStr, 0, 10, 1, "x", "<f Id=\"1\">x</f>", {}, false, true, true, " Id=\"1\" "},
      {"attribute on empty element",
       tcStr,
       0,
       10,
       1,
       "",
       "<f Id=\"1\"/>",
       {},
       false,
       true,
       true,
       "Id=\"1\""},
      {"strorig trimmed by the filter", tcStrOrig, 0, 10, 1, " a ", "<f>a</f>", {}},
      {"strorig unfiltered keeps blanks",
       tcStrOrig,
       0,
       10,
       1,
       " a ",
       "<f> a </f>",
       {},
       false,
       false},
      {"numstr padded to min", tcNumStr, 5, 5, 1, "42", "<f>00042</f>", {}},
      {"numstr empty optional", tcNumStr, 5, 5, 0, "", "", {}},
      // sizes, counted in characters
      {"one char under min: no size alert", tcStr, 5, 10, 1, "a", "<f>a</f>", {}},
      {"two chars under min: alert with value",
       tcStr,
       5,
       10,
       1,
       "ab",
       "<f>ab</f>",
       {"f:Tamanho menor que o mínimo permitido [ab]"}},
      {"over max: alert with value",
       tcStr,
       0,
       3,
       1,
       "abcd",
       "<f>abcd</f>",
       {"f:Tamanho maior que o máximo permitido [abcd]"}},
      {"accented letters count once", tcStr, 0, 4, 1, "Ação", "<f>Acao</f>", {}},
      // integers
      {"mandatory int zero written", tcInt, 0, 5, 1, 0, "<f>0</f>", {}},
      {"optional int zero omitted", tcInt, 0, 5, 0, 0, "", {}},
      {"int padded to min", tcInt, 3, 5, 1, 7, "<f>007</f>", {}},
      {"int from text", tcInt, 0, 5, 1, "12", "<f>12</f>", {}},
      {"int from non-integer gives 0", tcInt, 0, 5, 1, "abc", "<f>0</f>", {}},
      {"int over max",
       tcInt,
       0,
       2,
       1,
       1234,
       "<f>1234</f>",
       {"f:Tamanho maior que o máximo permitido [1234]"}},
      // decimals: the bounds grow by one for the separator unless decimals are suppressed
      {"de2", tcDe2, 0, 15, 1, 1234.5, "<f>1234.50</f>", {}},
      {"de2 rounds half away from zero", tcDe2, 0, 15, 1, 1.005, "<f>1.01</f>", {}},
      {"de2 negative", tcDe2, 0, 15, 1, -0.125, "<f>-0.13</f>", {}},
      {"de2 suppressed whole", tcDe2, 0, 15, 1, 10.0, "<f>10</f>", {}, true},
      {"de2 suppressed fraction kept", tcDe2, 0, 15, 1, 10.5, "<f>10.50</f>", {}, true},
      {"de2 padded to grown min", tcDe2, 5, 15, 1, 1.5, "<f>001.50</f>", {}},
      {"de2 max grows by one", tcDe2, 0, 4, 1, 12.5, "<f>12.50</f>", {}},
      {"de2 over grown max",
       tcDe2,
       0,
       3,
       1,
       123.5,
       "<f>123.50</f>",
       {"f:Tamanho maior que o máximo permitido [123.5]"}},
      {"de2 not a number", tcDe2, 0, 15, 1, "x", "<f>0.00</f>", {}},
      {"de2 optional zero omitted", tcDe2, 0, 15, 0, 0.0, "", {}},
      {"de3", tcDe3, 0, 15, 1, 2.0, "<f>2.000</f>", {}},
      {"de4", tcDe4, 0, 15, 1, 0.12345, "<f>0.1235</f>", {}},
      {"de6", tcDe6, 0, 15, 1, 1.0, "<f>1.000000</f>", {}},
      {"de10", tcDe10, 0, 15, 1, 0.5, "<f>0.5000000000</f>", {}},
      // dates and times
      {"dat", tcDat, 0, 10, 1, Variant::Date(k17Maio2019), "<f>2019-05-17</f>", {}},
      {"dat zero mandatory: empty element",
       tcDat,
       10,
       10,
       1,
       Variant::Date(0),
       "<f/>",
       {"f:Nenhum valor informado"}},
      {"dat zero optional omitted", tcDat, 10, 10, 0, Variant::Date(0), "", {}},
      {"dathor without offset",
       tcDatHor,
       0,
       19,
       1,
       Variant::Date(k17Maio2019 + k0830),
       "<f>2019-05-17T08:30:00</f>",
       {}},
      {"datcfe", tcDatCFe, 0, 8, 1, Variant::Date(k17Maio2019), "<f>20190517</f>", {}},
      {"datvcto", tcDatVcto, 0, 10, 1, Variant::Date(k17Maio2019), "<f>17/05/2019</f>", {}},
      {"hor", tcHor, 0, 8, 1, Variant::Date(k17Maio2019 + k0830), "<f>08:30:00</f>", {}},
      {"hor midnight optional omitted", tcHor, 0, 8, 0, Variant::Date(k17Maio2019), "", {}},
      {"horcfe", tcHorCFe, 0, 6, 1, Variant::Date(k0830), "<f>083000</f>", {}},
      {"dathorcfe writes empty content",
       tcDatHorCFe,
       0,
       14,
       1,
       Variant::Date(k17Maio2019),
       "<f></f>",
       {}},
      // special types
      {"boolstr", tcBoolStr, 0, 5, 1, true, "<f>true</f>", {}},
      {"boolstr false is a value", tcBoolStr, 0, 5, 0, false, "<f>false</f>", {}},
      {"esp digits", tcEsp, 0, 5, 1, "123", "<f>123</f>", {}},
      {"esp non-digits", tcEsp, 0, 5, 1, "12a", "<f>12a</f>", {"f:Conteúdo inválido"}},
      {"esp empty", tcEsp, 0, 5, 0, "", "", {"f:Conteúdo inválido"}},
      // content filter
      {"accents removed and escaped", tcStr, 0, 30, 1, "Ação & Cia", "<f>Acao &amp; Cia</f>", {}},
      {"line break to semicolon", tcStr, 0, 30, 1, "a\r\nb", "<f>a;b</f>", {}},
      {"three blanks become one", tcStr, 0, 30, 1, "a   b", "<f>a b</f>", {}},
      {"unfiltered keeps markup", tcStr, 0, 30, 1, "a<b>&", "<f>a<b>&</f>", {}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TGerador g;
    g.Opcoes().SetFormatoAlerta("%TAG%:%MSG%");
    g.Opcoes().SetSuprimirDecimais(c.suprimirDecimais);
    g.Opcoes().SetTagVaziaNoFormatoResumido(c.tagVaziaResumida);
    g.wCampo(c.tipo, "ID01", "f", c.min, c.max, c.ocorrencias, c.valor, "", c.parseTexto,
             c.atributo);
    EXPECT_EQ(g.ArquivoFormatoXML(), c.xml);
    EXPECT_EQ(g.ListaDeAlertas(), c.alertas);
  }
}

TEST(TGerador, FiltrosDesligadosESomenteValidar) {
  TGerador g;
  g.Opcoes().SetRetirarAcentos(false);
  g.Opcoes().SetRetirarEspacos(false);
  g.wCampo(TTipoCampo::tcStr, "", "f", 0, 30, 1, "Ação  \"x\" 'y' 😀");
  EXPECT_EQ(g.ArquivoFormatoXML(), "<f>Ação  &quot;x&quot; &#39;y&#39; ?</f>");

  TGerador v;
  v.Opcoes().SetSomenteValidar(true);
  v.Opcoes().SetFormatoAlerta("%MSG%");
  v.wCampo(TTipoCampo::tcStr, "", "f", 1, 3, 1, "");
  EXPECT_EQ(v.ArquivoFormatoXML(), "");
  EXPECT_EQ(v.ListaDeAlertas(), Alertas{"Nenhum valor informado"});
}

TEST(TGerador, GruposIndentacaoEAlertasComContexto) {
  TGerador g;
  g.Opcoes().SetIdentarXML(true);
  g.wGrupo("evento Id=\"E1\"", "e01");
  g.wGrupo("ideEvento", "e02");
  g.wCampo(TTipoCampo::tcStr, "e03", "nrRecibo", 5, 10, 1, "", "Número do recibo");
  g.wGrupo("/ideEvento");
  g.wGrupo("/evento Id=\"E1\"");
  EXPECT_EQ(g.ArquivoFormatoXML(),
            "<evento Id=\"E1\">\r\n"
            "   <ideEvento>\r\n"
            "      <nrRecibo/>\r\n"
            "   </ideEvento>\r\n"
            "</evento Id=\"E1\">\r\n");
  EXPECT_EQ(g.ListaDeAlertas(),
            Alertas{"TAG:<evento Id=\"E1\"><ideEvento> ID:e03/nrRecibo(Número do recibo) - "
                    "Nenhum valor informado."});
  EXPECT_EQ(g.IDNivel(), "");
  EXPECT_EQ(g.TagNivel(), "");

  // Closing a "det" group drops it and everything opened inside it from the context.
  TGerador d;
  d.wGrupo("NFe", "A01");
  EXPECT_EQ(d.IDNivel(), "A01");
  d.wGrupo("det nItem=\"1\"");
  d.wGrupo("prod");
  d.wGrupo("/det");
  EXPECT_EQ(d.TagNivel(), "<NFe>");
  d.wTexto("<x/>");
  EXPECT_EQ(d.ArquivoFormatoXML(), "<NFe><det nItem=\"1\"><prod></det><x/>");

  TGerador p;
  p.SetPrefixo("ns2:");
  p.wGrupoNFSe("lote");
  p.wCampoNFSe(TTipoCampo::tcInt, "", "n", 0, 3, 1, 5);
  p.wGrupoNFSe("/lote");
  EXPECT_EQ(p.ArquivoFormatoXML(), "<ns2:lote><ns2:n>5</ns2:n></ns2:lote>");
}

TEST(TGerador, DocumentosCNPJCPF) {
  struct Case {
    const char* name;
    const char* valor;
    bool obrigatorio;
    bool preencheZeros;
    const char* xml;
    Alertas alertas;
  };
  const Case cases[] = {
      {"cpf with punctuation", "111.444.777-35", true, true, "<CPF>11144477735</CPF>", {}},
      {"13 digits padded to CNPJ",
       "1222333000181",
       true,
       true,
       "<CNPJ>01222333000181</CNPJ>",
       {"CNPJ:Conteúdo inválido"}},
      {"valid cnpj", "11.222.333/0001-81", true, true, "<CNPJ>11222333000181</CNPJ>", {}},
      {"short cpf padded", "191", true, true, "<CPF>00000000191</CPF>", {}},
      {"empty mandatory becomes zeros",
       "",
       true,
       true,
       "<CNPJ>00000000000000</CNPJ>",
       {"CNPJ:Conteúdo inválido"}},
      {"empty optional omitted", "", false, true, "", {}},
      {"15 digits cut to 14", "112223330001810", true, true, "<CNPJ>11222333000181</CNPJ>", {}},
      {"no padding: odd length",
       "1234",
       true,
       false,
       "<CPF>1234</CPF>",
       {"CPF:Conteúdo inválido", "CNPJ-CPF:Conteúdo inválido"}},
      {"wrong cpf digits",
       "11144477736",
       true,
       true,
       "<CPF>11144477736</CPF>",
       {"CPF:Conteúdo inválido"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TGerador g;
    g.Opcoes().SetFormatoAlerta("%TAG%:%MSG%");
    g.wCampoCNPJCPF("C02", "C03", c.valor, c.obrigatorio, c.preencheZeros);
    EXPECT_EQ(g.ArquivoFormatoXML(), c.xml);
    EXPECT_EQ(g.ListaDeAlertas(), c.alertas);
  }

  TGerador b;
  b.Opcoes().SetFormatoAlerta("%TAG%(%DESCRICAO%):%MSG%");
  b.wCampoCNPJ("C02", "11.222.333/0001-81", 1058, true);
  b.wCampoCPF("C03", "111.444.777-36", 1058, true);
  b.wCampoCNPJ("C04", "", 1058, false);
  b.wCampoCNPJ("C05", "123", 2496, true);
  EXPECT_EQ(b.ArquivoFormatoXML(), "<CNPJ>11222333000181</CNPJ><CPF>11144477736</CPF><CNPJ/>");
  EXPECT_EQ(b.ListaDeAlertas(),
            (Alertas{"CPF(CPF):Conteúdo inválido", "CNPJ(CNPJ(MF)):Conteúdo inválido",
                     "CNPJ(CNPJ(MF)):Conteúdo inválido"}));
}

// A small document written by the same calls, with and without a flat-text layout.
void EscreverDocumento(TGerador& g) {
  using enum TTipoCampo;
  g.wGrupo("infNFe Id=\"NFe35\"", "A01");
  g.wCampo(tcStr, "A02", "versao", 1, 4, 1, "4.00");
  g.wGrupo("ide", "B01");
  g.wCampo(tcInt, "B02", "cUF", 2, 2, 1, 35);
  g.wCampo(tcStr, "B04", "natOp", 1, 60, 1, "Venda | à vista\nloja");
  g.wCampo(tcDat, "B09", "dEmi", 10, 10, 0, Variant::Date(0));  // optional and empty
  g.wGrupo("/ide");
  g.wGrupo("emit", "C01");
  g.wCampoCNPJCPF("C02", "C02a", "11.222.333/0001-81");
  g.wCampo(tcStr, "C03", "xNome", 1, 60, 1, "Ação & Cia");
  g.wGrupo("/emit");
  for (int item = 1; item <= 2; ++item) {
    g.wGrupo("det nItem=\"" + std::to_string(item) + "\"", "H01");
    g.wCampo(tcInt, "H02", "nItem", 1, 3, 1, item);
    g.wCampo(tcStr, "I04", "xProd", 1, 120, 1, item == 1 ? "Caneta" : "Lápis");
    g.wCampo(tcDe2, "I17", "vDesc", 1, 13, 0, 0.0);  // optional and empty
    g.wGrupo("/det");
  }
  g.wGrupo("/infNFe");
}

TEST(TGerador, LayoutTXTFilledByTheSameCalls) {
  TGerador semLayout;
  EscreverDocumento(semLayout);
  semLayout.gtAjustarRegistros("NFe35");
  EXPECT_EQ(semLayout.ArquivoFormatoTXT(), "") << "no layout, no flat text";

  TGerador g;
  g.LayoutArquivoTXT() = {
      "<A01>A|versao¨|Id¨|", "<B01>B|cUF¨|natOp¨|dEmi¨|", "<C01>C|xNome¨|",
      "<C01>C02|CNPJ¨|",     "<c01>C02a|CPF¨|",           "<H01>H|nItem¨|xProd¨|vDesc¨|",
      "<Z01>Z|infCpl¨|",  // a group never opened
  };
  EscreverDocumento(g);
  EXPECT_EQ(g.ArquivoFormatoXML(), semLayout.ArquivoFormatoXML()) << "the XML is the same";
  // Each group's records, in order; the fields filled as their elements were written.
  EXPECT_EQ(g.ArquivoFormatoTXT(),
            "A|4.00|Id¨|\r\n"
            "B|35|Venda &pipe; a vista;loja|dEmi¨|\r\n"
            "C|Acao &amp; Cia|\r\n"
            "C02|11222333000181|\r\n"
            "C02a|CPF¨|\r\n"
            "H|1|Caneta|vDesc¨|\r\n"
            "H|2|Lapis|vDesc¨|");

  g.gtAjustarRegistros("NFe35");
  EXPECT_EQ(g.ArquivoFormatoTXT(),
            "A|4.00|NFe35|\r\n"
            "B|35|Venda &pipe; a vista;loja||\r\n"
            "C|Acao &amp; Cia|\r\n"
            "C02|11222333000181|\r\n"
            "H|1|Caneta||\r\n"
            "H|2|Lapis||");
}

TEST(TGerador, LayoutTXTByHand) {
  TGerador g;
  g.gtNivel("X01");
  g.gtCampo("a", "1");
  EXPECT_EQ(g.ArquivoFormatoTXT(), "") << "no layout, nothing";

  g.LayoutArquivoTXT() = {"<X01>X|a¨|b¨|", "<Y01><X01>Y|b¨|"};
  g.gtNivel("x01");        // both records belong to X01
  g.gtCampo("B", "dois");  // the latest record waiting for b
  g.gtCampo("b", "um");
  g.gtCampo("c", "nenhum");  // no record waits for c
  EXPECT_EQ(g.ArquivoFormatoTXT(), "X|a¨|um|\r\nY|dois|");
  g.gtNivel("Y01");
  g.gtAjustarRegistros("");
  EXPECT_EQ(g.ArquivoFormatoTXT(), "X||um|\r\nY|dois|") << "the untouched Y record goes";
}

TEST(TGerador, SalvarArquivo) {
  test::TempDir dir("luvaro-gerador");
  TGerador g;
  g.LayoutArquivoTXT() = {"<A01>A|a¨|"};
  g.wGrupo("g", "A01");
  g.wCampo(TTipoCampo::tcStr, "", "a", 0, 5, 1, "x");
  g.wGrupo("/g");
  EXPECT_TRUE(g.SalvarArquivo(dir / "out.xml"));
  EXPECT_EQ(test::ReadFile(dir / "out.xml"), "<g><a>x</a></g>\r\n");
  EXPECT_TRUE(g.SalvarArquivo(dir / "out.xml", TFormatoGravacao::fgXML));
  EXPECT_EQ(test::ReadFile(dir / "out.xml"), "<g><a>x</a></g>\r\n");
  EXPECT_TRUE(g.SalvarArquivo(dir / "out.txt", TFormatoGravacao::fgTXT));
  EXPECT_EQ(test::ReadFile(dir / "out.txt"), "A|x|\r\n");
  EXPECT_THROW(g.SalvarArquivo(dir / "missing" / "out.xml"), EDFeException);
  EXPECT_THROW(g.SalvarArquivo(dir / "missing" / "out.txt", TFormatoGravacao::fgTXT),
               EDFeException);
  // A file whose content cannot be written whole fails with its name (here when it is closed).
  std::filesystem::create_symlink("/dev/full", dir / "cheio.xml");
  try {
    g.SalvarArquivo(dir / "cheio.xml");
    ADD_FAILURE() << "a write that failed passed";
  } catch (const EDFeException& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Não foi possível gravar o arquivo: " +
                                                  (dir / "cheio.xml").string()))
        << e.what();
  }
}

}  // namespace
}  // namespace luvaro
