// The ERP client's plumbing without a server: reading the lot JSON, writing request bodies,
// the company key in the query string, and the charset of the lot.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dfe/dfe_exception.h"
#include "integration/erp_http.h"
#include "integration/erp_json.h"

namespace luvaro {
namespace {

TEST(ErpJson, ScalarsKeepTheirWrittenText) {
  struct Case {
    const char* name;
    const char* json;
    const char* text;
  };
  const Case cases[] = {
      {"string unescaped", R"("a\"b\\c\/d\u00e7\t")", "a\"b\\c/d\xC3\xA7\t"},
      {"integer", "12345678000190", "12345678000190"},
      {"negative integer", "-7", "-7"},
      {"unsigned beyond int64", "18446744073709551615", "18446744073709551615"},
      {"beyond 64 bits", "123456789012345678901234567890", "123456789012345678901234567890"},
      {"decimal with trailing zero", "1.50", "1.50"},
      {"exponent", "1E3", "1E3"},
      {"true", "true", "true"},
      {"false", "false", "false"},
      {"null", "null", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const JsonNode node = ParseJson(std::string("{\"v\":") + c.json + "}");
    const JsonNode* value = node.Find("v");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->kind, JsonNode::Kind::Scalar);
    EXPECT_EQ(value->text, c.text);
  }
}

TEST(ErpJson, MembersKeepDocumentOrderAndRepeatedNames) {
  const JsonNode node = ParseJson(R"({"z":"1","a":"2","m":{"x":[1,{"y":2}]},"a":"3"})");
  ASSERT_EQ(node.kind, JsonNode::Kind::Object);
  ASSERT_EQ(node.members.size(), 4u);
  EXPECT_EQ(node.members[0].name, "z");
  EXPECT_EQ(node.members[1].name, "a");
  EXPECT_EQ(node.members[2].name, "m");
  EXPECT_EQ(node.members[3].name, "a");
  EXPECT_EQ(node.members[3].value.text, "3");
  EXPECT_EQ(node.Find("a")->text, "2");  // the first of a repeated name
  const JsonNode& array = node.Find("m")->Find("x")[0];
  ASSERT_EQ(array.kind, JsonNode::Kind::Array);
  ASSERT_EQ(array.items.size(), 2u);
  EXPECT_EQ(array.items[0].text, "1");
  EXPECT_EQ(array.items[1].Find("y")->text, "2");
  EXPECT_EQ(node.Find("missing"), nullptr);
}

TEST(ErpJson, RefusesWhatIsNotOneJsonDocument) {
  const std::string deep = std::string(65, '[') + std::string(65, ']');
  const std::string fine = std::string(64, '[') + std::string(64, ']');
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"html page", "<html><body>Erro</body></html>"},
      {"empty", ""},
      {"cut short", R"({"empresas":[)"},
      {"something after the document", R"({"empresas":[]} x)"},
      {"bytes that are not UTF-8", "{\"a\":\"\xE7\"}"},
      {"nesting deeper than 64 levels", deep},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ParseJson(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const EDFeException& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with("Resposta não é um JSON válido: ")) << e.what();
    }
  }
  EXPECT_NO_THROW(ParseJson(fine));
}

TEST(ErpJson, BodyIsValidJsonWithEveryNeededEscape) {
  struct Case {
    const char* name;
    std::string value;
    std::string written;
  };
  const Case cases[] = {
      {"plain", "<r/>", R"("<r/>")"},
      {"double quote", R"(<a b="1"/>)", R"("<a b=\"1\"/>")"},
      {"backslash", R"(C:\x)", R"("C:\\x")"},
      {"tab", "a\tb", R"("a\tb")"},
      {"other control characters", std::string("a\x01\x1F", 3), R"("a\u0001\u001f")"},
      {"accented letters stay UTF-8", "a\xC3\xA7\xC3\xA3o", "\"a\xC3\xA7\xC3\xA3o\""},
      {"slash not escaped", "a/b", R"("a/b")"},
      {"a byte that is not UTF-8 becomes U+FFFD", "a\xE7z", "\"a\xEF\xBF\xBDz\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string body = JsonObjectText({{"k", c.value}});
    EXPECT_EQ(body, "{\"k\":" + c.written + "}");
    EXPECT_TRUE(nlohmann::json::accept(body));
  }
  EXPECT_EQ(JsonObjectText({{"empresaKey", "K"}, {"xmlRetornoLote", "x"}, {"lotePath", ""}}),
            R"({"empresaKey":"K","xmlRetornoLote":"x","lotePath":""})");
}

TEST(ErpQuery, CompanyKeyIsAppendedAsItIsExceptWhatCannotStandInAUrl) {
  struct Case {
    const char* name;
    std::string key;
    std::string appended;
  };
  const Case cases[] = {
      {"letters and digits", "EMPRESA-01_a.b~c", "EMPRESA-01_a.b~c"},
      {"query delimiters stay", "A&B=C+D;E", "A&B=C+D;E"},
      {"reserved characters allowed in a query", "a/b?c:d@e!f$g'h(i)j*k,l",
       "a/b?c:d@e!f$g'h(i)j*k,l"},
      {"blank", "Empresa 1", "Empresa%201"},
      {"tab, CR and LF", "a\tb\r\nc", "a%09b%0D%0Ac"},
      {"DEL", "a\x7F", "a%7F"},
      {"non-ASCII bytes", "A\xC3\xA7\xC3\xA3o", "A%C3%A7%C3%A3o"},
      {"fragment mark", "a#b", "a%23b"},
      {"characters no URL may hold", "\"<>[]\\^`{|}", "%22%3C%3E%5B%5D%5C%5E%60%7B%7C%7D"},
      {"a complete percent triple stays", "a%41", "a%41"},
      {"a loose percent sign", "50%", "50%25"},
      {"a percent sign before one hex digit", "%4", "%254"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeQueryValue(c.key), c.appended);
  }
}

// The lot is read in the charset its Content-Type names; UTF-8 when it names none.
TEST(ErpCharset, BodyIsDecodedByItsDeclaredCharset) {
  const std::string utf8 =
      "{\"nome\":\"Jos\xC3\xA9 Concei\xC3\xA7\xC3\xA3o \xE2\x80\x9Cx\xE2\x80\x9D\"}";
  const std::string latin1 = "{\"nome\":\"Jos\xE9 Concei\xE7\xE3o \x93x\x94\"}";
  struct Case {
    const char* name;
    std::string body;
    const char* contentType;
    std::string expected;  // "" when it fails
    const char* failure;
  };
  const Case cases[] = {
      {"UTF-8 named", utf8, "application/json;charset=UTF-8", utf8, ""},
      {"no charset: UTF-8", utf8, "application/json", utf8, ""},
      {"no Content-Type at all", utf8, "", utf8, ""},
      {"ISO-8859-1, quoted, other parameters", latin1,
       "application/json; q=1; Charset=\"ISO-8859-1\"", utf8, ""},
      {"windows-1252", latin1, "application/json; charset=windows-1252", utf8, ""},
      {"latin1 label", latin1, "application/json;charset=latin1", utf8, ""},
      {"Latin-1 bytes said to be UTF-8", latin1, "application/json; charset=utf-8", "",
       "A resposta do Orvane não é um texto UTF-8 válido (byte 13)."},
      {"Latin-1 bytes without a charset", latin1, "application/json", "",
       "A resposta do Orvane não é um texto UTF-8 válido (byte 13; nenhum charset informado)."},
      {"unsupported charset", utf8, "application/json; charset=Shift_JIS", "",
       "A resposta do Orvane usa um charset não suportado: shift_jis."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.expected.empty()) {
      try {
        ErpBodyAsUtf8(c.body, c.contentType);
        ADD_FAILURE() << "decoded";
      } catch (const EDFeException& e) {
        EXPECT_STREQ(e.what(), c.failure);
      }
    } else {
      EXPECT_EQ(ErpBodyAsUtf8(c.body, c.contentType), c.expected);
    }
  }
}

}  // namespace
}  // namespace luvaro
