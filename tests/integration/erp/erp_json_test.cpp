// The ERP client's plumbing without a server: reading the lot JSON, writing request bodies,
// and the company key in the query string.
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

}  // namespace
}  // namespace luvaro
