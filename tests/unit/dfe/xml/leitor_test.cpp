#include "dfe/xml/leitor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

constexpr const char* kRetorno =
    "<s:Envelope><s:Body><EnviarLoteEventosResponse>"
    "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/retornoEnvio/v1_1_0\">"
    "<retornoEnvioLoteEventos>\r\n"
    "  <status><CDRESPOSTA> 201 </CDRESPOSTA><descResposta>Lote recebido com "
    "sucesso.</descResposta>\r\n"
    "    <ocorrencias><ocorrencia><codigo>123</codigo></ocorrencia></ocorrencias></status>\r\n"
    "  <dadosRecepcaoLote><dhRecepcao>2019-05-17T08:30:00.123-03:00</dhRecepcao>"
    "<protocoloEnvio>1.2.201905.0000001</protocoloEnvio></dadosRecepcaoLote>\r\n"
    "</retornoEnvioLoteEventos>  \r\n"
    "</eSocial></EnviarLoteEventosResponse></s:Body></s:Envelope>";

TEST(TLeitor, rExtraiEmNiveis) {
  TLeitor l;
  l.SetArquivo(kRetorno);
  const std::string lote = l.rExtrai(1, "retornoEnvioLoteEventos");
  EXPECT_TRUE(lote.starts_with("<retornoEnvioLoteEventos>\r\n  <status>"));
  EXPECT_TRUE(lote.ends_with("</dadosRecepcaoLote>\r\n</retornoEnvioLoteEventos>"));
  EXPECT_EQ(l.Grupo(), lote);
  EXPECT_EQ(l.Nivel(1), lote);

  EXPECT_EQ(l.rExtrai(2, "dadosRecepcaoLote"),
            "<dadosRecepcaoLote><dhRecepcao>2019-05-17T08:30:00.123-03:00</dhRecepcao>"
            "<protocoloEnvio>1.2.201905.0000001</protocoloEnvio></dadosRecepcaoLote>");
  EXPECT_EQ(l.rCampo(TTipoCampo::tcStr, "protocoloEnvio").AsString(), "1.2.201905.0000001");

  struct Case {
    const char* name;
    std::string arquivo;
    std::string tagInicio, tagFim;
    int item;
    std::string expected;
  };
  const Case cases[] = {
      {"with attributes", "<a><e Id=\"1\">x</e></a>", "e", "", 1, "<e Id=\"1\">x</e>"},
      {"second item", "<e>1</e><e>2</e><e>3</e>", "e", "", 2, "<e>2</e>"},
      {"item past the end", "<e>1</e>", "e", "", 3, ""},
      {"absent", "<a>x</a>", "e", "", 1, ""},
      {"no closing tag", "<e>x", "e", "", 1, ""},
      {"letter case matters", "<E>x</E>", "e", "", 1, ""},
      {"prefixed closing tag", "<ns>x</ns:y>z", "ns", "", 1, "<ns>x</ns:y>"},
      {"different end tag", "<a><b>1</b><c>2</c></a>", "b", "c", 1, "<b>1</b><c>2</c>"},
      {"nested same name ends at the inner close", "<g><g>in</g>out</g>", "g", "", 1,
       "<g><g>in</g>"},
      {"start after the first close is not taken", "</e><e>x</e>", "e", "", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLeitor t;
    t.SetArquivo(c.arquivo);
    EXPECT_EQ(t.rExtrai(1, c.tagInicio, c.tagFim, c.item), c.expected);
    EXPECT_EQ(t.Grupo(), c.expected);
  }

  TLeitor bad;
  bad.SetArquivo("<e>x</e>");
  EXPECT_EQ(bad.rExtrai(0, "e"), "");
  EXPECT_EQ(bad.rExtrai(11, "e"), "");
  EXPECT_EQ(bad.Nivel(42), "");
}

TEST(TLeitor, rCampoPorTipo) {
  struct Case {
    const char* name;
    std::string grupo;
    TTipoCampo tipo;
    std::string tag;
    std::string parada;
    Variant expected;
  };
  using enum TTipoCampo;
  const Case cases[] = {
      {"str any case, trimmed", "<X><CdResposta> 201 </CdResposta></X>", tcStr, "cdResposta", "",
       "201"},
      {"str decodes", "<t>&amp;lt; Informa&#xE7;&#xE3;o</t>", tcStr, "t", "", "< Informação"},
      {"esp as written", "<t> &amp; </t>", tcEsp, "t", "", "&amp;"},
      {"absent str", "<a/>", tcStr, "t", "", ""},
      {"attributes not allowed on the field", "<t a=\"1\">x</t>", tcStr, "t", "", ""},
      {"stop tag before the field", "<ocorrencias><t>1</t></ocorrencias>", tcStr, "t",
       "ocorrencias", ""},
      {"stop tag after the field", "<t>1</t><ocorrencias><t>2</t></ocorrencias>", tcStr, "t",
       "ocorrencias", "1"},
      {"int digits only", "<n>-12a3</n>", tcInt, "n", "", 123},
      {"int empty", "<n></n>", tcInt, "n", "", 0},
      {"decimal with comma", "<v>1,5</v>", tcDe2, "v", "", 1.5},
      {"decimal with dot", "<v>1234.56</v>", tcDe4, "v", "", 1234.56},
      {"decimal not a number", "<v>abc</v>", tcDe2, "v", "", 0.0},
      {"dat", "<d>2019-05-17</d>", tcDat, "d", "", Variant::Date(43602)},
      {"dathor ignores what follows the seconds", "<d>2019-05-17T08:30:00.5-03:00</d>", tcDatHor,
       "d", "", Variant::Date(43602 + 8.5 / 24)},
      {"hor", "<d>08:30:00</d>", tcHor, "d", "", Variant::Date(8.5 / 24)},
      {"datcfe", "<d>20190517</d>", tcDatCFe, "d", "", Variant::Date(43602)},
      {"horcfe", "<d>083000</d>", tcHorCFe, "d", "", Variant::Date(8.5 / 24)},
      {"datvcto", "<d>17/05/2019</d>", tcDatVcto, "d", "", Variant::Date(43602)},
      {"dathorcfe", "<d>20190517083000</d>", tcDatHorCFe, "d", "", Variant::Date(43602 + 8.5 / 24)},
      {"empty date is zero", "<d></d>", tcDat, "d", "", Variant::Date(0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLeitor l;
    l.SetGrupo(c.grupo);
    const Variant v = l.rCampo(c.tipo, c.tag, c.parada);
    if (c.expected.IsDateTime()) {
      ASSERT_TRUE(v.IsDateTime());
      EXPECT_NEAR(v.AsDateTime(), c.expected.AsDateTime(), 1e-9);
    } else if (c.expected.IsFloat()) {
      EXPECT_EQ(v.AsFloat(), c.expected.AsFloat());
    } else {
      EXPECT_EQ(v, c.expected);
    }
  }
}

TEST(TLeitor, rCampoFalhas) {
  struct Case {
    const char* name;
    std::string grupo;
    TTipoCampo tipo;
    const char* message;
  };
  using enum TTipoCampo;
  const Case cases[] = {
      {"boolstr unreadable", "<flag>true</flag>", tcBoolStr,
       "Tag <FLAG> com conteúdo inválido. true"},
      {"strorig unreadable", "<flag>a</flag>", tcStrOrig, "Tag <FLAG> com conteúdo inválido. a"},
      {"numstr unreadable", "<flag>1</flag>", tcNumStr, "Tag <FLAG> com conteúdo inválido. 1"},
      {"date with letters", "<flag>2019-0X-17</flag>", tcDat,
       "Tag <FLAG> com conteúdo inválido. 2019-0X-17"},
      {"date too short", "<flag>2019</flag>", tcDat, "Tag <FLAG> com conteúdo inválido. 2019"},
      {"impossible date", "<flag>2019-02-30</flag>", tcDat,
       "Tag <FLAG> com conteúdo inválido. 2019-02-30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLeitor l;
    l.SetGrupo(c.grupo);
    try {
      l.rCampo(c.tipo, "flag");
      ADD_FAILURE() << "no exception";
    } catch (const EDFeException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(TLeitor, rAtributoCNPJCPFePosLast) {
  struct Case {
    const char* name;
    std::string grupo;
    std::string atributo, tag;
    std::string expected;
  };
  const Case cases[] = {
      {"double quotes", "<evento Id=\"ID1\">", "Id", "", "ID1"},
      {"apostrophes", "<evento Id='ID2'>", "Id", "", "ID2"},
      {"name with =", "<evento Id='ID2'>", "Id=", "", "ID2"},
      {"blanks around =", "<evento Id = \" ID3\">", "Id", "", "ID3"},
      {"unquoted gives empty", "<evento Id=ID4><x a=\"b\"/>", "Id", "", ""},
      {"empty value", "<evento Id=\"\">", "Id", "", ""},
      {"empty name", "<evento Id=\"x\">", "", "", ""},
      {"decoded", "<e v=\"a&amp;b\">", "v", "", "a&b"},
      {"searched again from tag", "<a Id=\"1\"><b Id=\"2\"/></a>", "Id", "<b", "2"},
      {"tag absent: first match", "<a Id=\"1\"><b Id=\"2\"/></a>", "Id", "<c", "1"},
      {"no closing quote", "<a Id=\"1>", "Id", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLeitor l;
    l.SetGrupo(c.grupo);
    EXPECT_EQ(l.rAtributo(c.atributo, c.tag), c.expected);
  }

  TLeitor l;
  l.SetGrupo("<ide><CNPJ></CNPJ><CPF>11144477735</CPF></ide>");
  EXPECT_EQ(l.rCampoCNPJCPF(), "11144477735");
  l.SetGrupo("<ide><CNPJ>11222333000181</CNPJ><CPF>1</CPF></ide>");
  EXPECT_EQ(l.rCampoCNPJCPF(), "11222333000181");

  EXPECT_EQ(TLeitor::PosLast("ab", "xabyab"), 5u);
  EXPECT_EQ(TLeitor::PosLast("zz", "xabyab"), 0u);
  EXPECT_EQ(TLeitor::PosLast("", "x"), 0u);
}

TEST(TLeitor, CarregarArquivo) {
  test::TempDir dir("luvaro-leitor");
  test::WriteFile(dir / "a.xml", "\xEF\xBB\xBF<a>\nx\r\ny\rz</a>");
  TLeitor l;
  EXPECT_TRUE(l.CarregarArquivo(dir / "a.xml"));
  EXPECT_EQ(l.Arquivo(), "<a>\r\nx\r\ny\r\nz</a>\r\n");
  test::WriteFile(dir / "empty.xml", "");
  EXPECT_TRUE(l.CarregarArquivo(dir / "empty.xml"));
  EXPECT_EQ(l.Arquivo(), "");
  EXPECT_THROW(l.CarregarArquivo(dir / "missing.xml"), EDFeException);

  std::istringstream in("<b>\n1</b>");
  EXPECT_TRUE(l.CarregarArquivo(in));
  EXPECT_EQ(l.Arquivo(), "<b>\n1</b>");
}

}  // namespace
}  // namespace luvaro
