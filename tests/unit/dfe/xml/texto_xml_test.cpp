#include "dfe/xml/texto_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

TEST(TextoXML, RemoverAcentosByteABYte) {
  const Case cases[] = {
      {"upper A family", "ÀÁÂÃÄÅÆ", "AAAAAAA"},
      {"upper C E I D N", "ÇÈÉÊËÌÍÎÏÐÑ", "CEEEEIIIIDN"},
      {"upper O times oslash U Y thorn sharp s", "ÒÓÔÕÖ×ØÙÚÛÜÝÞß", "OOOOOx0UUUUYbB"},
      {"lower a c e i", "àáâãäåæçèéêëìíîï", "aaaaaaaceeeeiiii"},
      {"lower eth n o divide", "ðñòóôõö÷", "onooooo/"},
      {"lower oslash u y thorn", "øùúûüýþÿ", "0uuuuyby"},
      {"kept controls", "a\bb\nc\rd", "a\bb\nc\rd"},
      {"tab and other controls become blanks",
       "a\tb\x01"
       "c",
       "a b c"},
      {"symbols 128..191 become blanks", "1€ ª º", "1" + std::string(5, ' ')},
      {"outside Windows-1252 becomes ?", "a😀b", "a?b"},
      {"invalid UTF-8 byte becomes ?",
       "a\xFF"
       "b",
       "a?b"},
      {"printable ASCII unchanged", " !~AZaz09", " !~AZaz09"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoverAcentos(c.input), c.expected);
  }
}

TEST(TextoXML, LimparTextoXML) {
  struct Row {
    const char* name;
    std::string input;
    bool acentos, espacos;
    std::string expected;
  };
  const Row rows[] = {
      {"both filters", "  Ação & Cia  ", true, true, "Acao &amp; Cia"},
      {"escaping", "<a href=\"x\">'y'</a>", true, true,
       "&lt;a href=&quot;x&quot;&gt;&#39;y&#39;&lt;/a&gt;"},
      {"blank runs collapse", "a    b  c", true, true, "a b c"},
      {"blank runs kept without the option", "a    b", true, false, "a    b"},
      {"CR LF, lone CR, lone LF", "a\r\nb\rc\nd", true, true, "a;b;c;d"},
      {"accents kept without the option", "Ação € x", false, true, "Ação € x"},
      {"non-1252 becomes ? without accent removal", "x✓y", false, true, "x?y"},
      {"trailing line break trimmed after conversion", "abc\r\n", true, true, "abc;"},
      {"empty", "", true, true, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(LimparTextoXML(r.input, r.acentos, r.espacos), r.expected);
  }
}

TEST(TextoXML, DecodificarTextoXML) {
  const Case cases[] = {
      {"five entities", "&lt;a&gt; &quot;b&quot; &#39;c&#39; &amp;", "<a> \"b\" 'c' &"},
      {"amp first: &amp;lt; gives <", "&amp;lt;", "<"},
      {"hex reference", "Informa&#xE7;&#xE3;o", "Informação"},
      {"hex reference upper digits", "&#xC7;", "Ç"},
      {"four-digit reference is one character", "&#x00E7;&#x263A;", "ç☺"},
      {"reference without semicolon left alone", "a&#xE7b", "a&#xE7b"},
      {"malformed reference left alone", "&#xZZ; &#xE7;", "&#xZZ; ç"},
      {"result trimmed", "  x  ", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodificarTextoXML(c.input), c.expected);
  }
}

TEST(TextoXML, DeclaraUTF8) {
  const auto comentario = [](int cedilhas) {
    std::string texto = "<!--";
    for (int i = 0; i < cedilhas; ++i) texto += "ç";
    return texto + "--><?xml encoding=\"utf-8\"?>";
  };
  const struct {
    const char* name;
    std::string xml;
    bool expected;
  } cases[] = {
      {"upper case", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", true},
      {"lower case with more attributes",
       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>", true},
      {"other encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>utf-8</a>", false},
      {"utf-8 before encoding", "<!-- utf-8 --><?xml version=\"1.0\" encoding=\"x\"?>", false},
      {"no declaration", "<a>utf-8</a>", false},
      {"empty", "", false},
      {"\"utf-8\" ends on the 50th character", comentario(22), true},
      {"\"utf-8\" ends on the 51st character", comentario(23), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DeclaraUTF8(c.xml), c.expected);
  }
}

// What an event or a request keeps when it goes inside another document: no declaration,
// whatever its spelling, and nothing of the document itself changed.
TEST(TextoXML, RemoverDeclaracaoXML) {
  const std::string doc = "<eSocial><a>1</a></eSocial>";
  const struct {
    const char* name;
    std::string xml;
    std::string expected;
  } cases[] = {
      {"UTF-8, double quotes", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + doc, doc},
      {"utf-8 in lower case", "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + doc, doc},
      {"single quotes", "<?xml version='1.0' encoding='Utf-8'?>" + doc, doc},
      {"standalone", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>" + doc, doc},
      {"version only", "<?xml version=\"1.0\"?>" + doc, doc},
      {"other encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + doc, doc},
      {"byte-order mark", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + doc, doc},
      {"blanks and line breaks before and after",
       " \r\n\t<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n  " + doc, doc},
      {"no declaration", doc, doc},
      {"byte-order mark without declaration", "\xEF\xBB\xBF" + doc, doc},
      {"a processing instruction is no declaration", "<?xml-stylesheet href=\"a\"?>" + doc,
       "<?xml-stylesheet href=\"a\"?>" + doc},
      {"a declaration-like text inside the document stays",
       "<?xml version=\"1.0\"?><a><![CDATA[<?xml version=\"1.0\"?>]]></a>",
       "<a><![CDATA[<?xml version=\"1.0\"?>]]></a>"},
      {"unterminated declaration left as it is", "<?xml version=\"1.0\"", "<?xml version=\"1.0\""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoverDeclaracaoXML(c.xml), c.expected);
  }
}

TEST(TextoXML, ContemSemDistinguirCaixa) {
  struct Caso {
    const char* name;
    std::string_view text;
    std::string_view needle;
    bool expected;
  };
  const Caso cases[] = {
      {"same case", "<eSocial><Signature>", "<Signature", true},
      {"other case", "<eSocial><SIGNATURE>", "<signature", true},
      {"at the very end", "xx<sig", "<SIG", true},
      {"cut by the end", "xx<si", "<sig", false},
      {"first letter seen, rest differs", "<sigx <signo", "<signa", false},
      {"absent", "<eSocial/>", "<signature", false},
      {"needle longer than text", "<s", "<signature", false},
      {"empty needle", "abc", "", true},
      {"non-ASCII bytes compared as they are", "<SIGNATUREÃ>", "<signatureÃ©", false},
  };
  for (const Caso& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(containsNoCase(c.text, c.needle), c.expected);
  }
}

TEST(TextoXML, NumerosEmTexto) {
  EXPECT_EQ(formatFixed(1234.5, 2), "1234.50");
  EXPECT_EQ(formatFixed(0.005, 2), "0.01");
  EXPECT_EQ(formatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(formatFixed(99.995, 2), "100.00");
  EXPECT_EQ(formatFixed(1e21, 2), "1000000000000000000000.00");
  EXPECT_EQ(formatFixed(2.5, 0, ','), "3");
  EXPECT_EQ(formatFixed(1.25, 1, ','), "1,3");
  EXPECT_EQ(parseDecimal(" 1,5 "), 1.5);
  EXPECT_EQ(parseDecimal("1.5x"), std::nullopt);
  EXPECT_EQ(parseDecimal(""), std::nullopt);
  EXPECT_EQ(utf8Length("Ação"), 4u);
  EXPECT_EQ(windows1252ToUtf8(utf8ToWindows1252("€ŠÿA")), "€ŠÿA");
}

}  // namespace
}  // namespace luvaro
