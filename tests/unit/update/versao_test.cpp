// Versions compared by their digits, the server's answer read, and the decision taken on it.

#include "update/versao.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace luvaro {
namespace {

TEST(NumeroVersao, CountsTheAsciiDigitsOnly) {
  struct Case {
    const char* name;
    std::string versao;
    std::optional<double> expected;  // none: the text cannot be compared
  } cases[] = {
      {"ERP version with dots and dash", "4.0.01-180629", 4001180629.0},
      {"program version", "1.14", 114.0},
      {"blanks and letters vanish", " v1.15 beta", 115.0},
      {"leading zeros", "0.0.7", 7.0},
      {"no digit", "versão", std::nullopt},
      {"empty", "", std::nullopt},
      {"only non-ASCII digits", "\xd9\xa3.\xd9\xa4", std::nullopt},  // Arabic-Indic 3 and 4
      {"more digits than a double holds", std::string(400, '9'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.expected) {
      EXPECT_EQ(NumeroVersao(c.versao), *c.expected);
    } else {
      EXPECT_THROW(NumeroVersao(c.versao), EVersaoInvalida);
    }
  }
}

TEST(LerResultVersao, ReadsTheTwoMembers) {
  struct Case {
    const char* name;
    std::string body;
    TResultVersao expected;
  } cases[] = {
      {"as the server sends it",
       R"({"versao":"1.15","informacaoComplementar":"4.0.01-180629;http://h/i.exe"})",
       {"1.15", "4.0.01-180629", "http://h/i.exe"}},
      {"other members ignored, text kept as sent",
       R"({"id":3,"versao":"1.14 ","informacaoComplementar":" 4.0.02 ; https://h/x","ok":true})",
       {"1.14 ", " 4.0.02 ", " https://h/x"}},
      {"a third piece is not part of the address",
       R"({"versao":"2","informacaoComplementar":"4;http://h/i;extra"})",
       {"2", "4", "http://h/i", "extra"}},
      {"the digest as the third piece, kept whole",
       R"({"versao":"2","informacaoComplementar":"4;https://h/i;sha256:AB;cd"})",
       {"2", "4", "https://h/i", "sha256:AB;cd"}},
      {"empty pieces", R"({"versao":"","informacaoComplementar":";"})", {"", "", ""}},
      {"UTF-8 text",
       R"({"versao":"1.15 \u00e7","informacaoComplementar":"a;b"})",
       {"1.15 \xc3\xa7", "a", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TResultVersao r = LerResultVersao(c.body);
    EXPECT_EQ(r.versaoAtual, c.expected.versaoAtual);
    EXPECT_EQ(r.versaoOrvane, c.expected.versaoOrvane);
    EXPECT_EQ(r.linkAtualizar, c.expected.linkAtualizar);
    EXPECT_EQ(r.resumoInstalador, c.expected.resumoInstalador);
  }
}

TEST(Sha256Esperado, SixtyFourHexDigitsAfterThePrefix) {
  const std::string hex(
      "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08");  // SHA-256 of "test"
  std::string maiusculas = hex;
  for (char& c : maiusculas) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    const char* name;
    std::string resumo;
    std::optional<std::string> expected;  // nothing: refused
  } cases[] = {
      {"lower case", "sha256:" + hex, hex},
      {"upper case digits, read in lower case", "sha256:" + maiusculas, hex},
      {"one digit short", "sha256:" + hex.substr(1), std::nullopt},
      {"one digit more", "sha256:" + hex + "0", std::nullopt},
      {"not hexadecimal", "sha256:" + hex.substr(1) + "g", std::nullopt},
      {"another algorithm", "md5:" + hex, std::nullopt},
      {"prefix in upper case", "SHA256:" + hex, std::nullopt},
      {"blank after the prefix", "sha256: " + hex, std::nullopt},
      {"digits alone", hex, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TResultVersao r;
    r.resumoInstalador = c.resumo;
    if (c.expected) {
      EXPECT_EQ(Sha256Esperado(r), c.expected);
    } else {
      EXPECT_THROW(Sha256Esperado(r), EDFeException);
    }
  }
  EXPECT_EQ(Sha256Esperado(TResultVersao{}), std::nullopt);  // two fields: nothing to check
}

TEST(LerResultVersao, RefusesWhatIsNotAnAnswer) {
  struct Case {
    const char* name;
    std::string body;
    std::string expectedText;  // part of the error's text
  } cases[] = {
      {"HTML page", "<html><body>manutenção</body></html>", "não é um JSON válido"},
      {"empty body", "", "não é um JSON válido"},
      {"array", R"([{"versao":"1.15","informacaoComplementar":"a;b"}])", "não é um objeto JSON"},
      {"versao missing", R"({"informacaoComplementar":"a;b"})", "\"versao\" não veio"},
      {"versao a number", R"({"versao":1.15,"informacaoComplementar":"a;b"})",
       "\"versao\" da resposta não é um texto"},
      {"complement missing", R"({"versao":"1.15"})", "\"informacaoComplementar\" não veio"},
      {"no separator", R"({"versao":"1.15","informacaoComplementar":"4.0.01 http://h/i"})",
       "separados por \";\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      LerResultVersao(c.body);
      ADD_FAILURE() << "accepted";
    } catch (const EDFeException& e) {
      EXPECT_NE(std::string(e.what()).find(c.expectedText), std::string::npos) << e.what();
    }
  }
}

TEST(DecidirAtualizacao, FollowsTheVersionRules) {
  using enum TDecisaoAtualizacao;
  struct Case {
    const char* name;
    std::string instalada;
    TResultVersao servidor;
    TDecisaoAtualizacao expected;
  } cases[] = {
      {"ERP one below the minimum, even with no update",
       "4.0.01-180628",
       {"1.14", "4.0.01-180629", "l"},
       OrvaneAbaixoMinimo},
      {"ERP with fewer digits counts lower",
       "4.0.1-180629",
       {"1.14", "1", "l"},
       OrvaneAbaixoMinimo},
      {"ERP exactly the minimum, server 1.14",
       "4.0.01-180629",
       {"1.14", "4.0.01-180629", "l"},
       Continuar},
      {"ERP with more digits counts higher", "4.0.01-1806290", {"1.14", "", "l"}, Continuar},
      {"1.14 is this version whatever ERP it needs",
       "4.0.01-180629",
       {"1.14", "9.9.99-999999", "l"},
       Continuar},
      {"1.14 with a trailing blank is another version",
       "4.0.01-180629",
       {"1.14 ", "4.0.01-180629", "l"},
       Baixar},
      {"1.15 the installed ERP runs", "4.0.01-180629", {"1.15", "4.0.01-180629", "l"}, Baixar},
      {"1.15 needing an older ERP", "4.0.03-200101", {"1.15", "4.0.02-190101", "l"}, Baixar},
      {"older version text on the server still downloads",
       "4.0.01-180629",
       {"1.13", "4.0.01-180629", "l"},
       Baixar},
      {"new version needing a newer ERP",
       "4.0.01-180629",
       {"1.15", "4.0.02-190101", "l"},
       OrvaneDesatualizado},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecidirAtualizacao(c.instalada, c.servidor), c.expected);
  }
}

TEST(DecidirAtualizacao, AVersionWithoutDigitsCannotBeCompared) {
  struct Case {
    const char* name;
    std::string instalada;
    TResultVersao servidor;
  } cases[] = {
      {"installed ERP version without digits", "versao", {"1.14", "4.0.01-180629", "l"}},
      {"required ERP version without digits", "4.0.01-180629", {"1.15", "", "l"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(DecidirAtualizacao(c.instalada, c.servidor), EVersaoInvalida);
  }
}

}  // namespace
}  // namespace luvaro
