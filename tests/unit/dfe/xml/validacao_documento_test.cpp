#include "dfe/xml/validacao_documento.h"

#include <gtest/gtest.h>

#include <string>

namespace luvaro {
namespace {

struct Case {
  const char* name;
  const char* input;
  const char* expected;  // empty = valid
};

// Valid numbers are well-known published examples (Banco do Brasil's CNPJ, the usual
// documentation CPFs), checked by hand with the modulus-11 rule.
TEST(ValidacaoDocumento, CNPJ) {
  const Case cases[] = {
      {"valid digits only", "11222333000181", ""},
      {"valid with dots slash dash", "11.222.333/0001-81", ""},
      {"valid with leading zeros", "00.000.000/0001-91", ""},
      {"valid surrounded by blanks", "  11222333000181 ", ""},
      {"empty", "", "CNPJ não pode ser vazio."},
      {"only punctuation", "./-", "CNPJ não pode ser vazio."},
      {"blanks between groups", "11 222 333 0001 81", "CNPJ deve ter 14 dígitos. (Apenas números)"},
      {"too short", "1122233300018", "CNPJ deve ter 14 dígitos. (Apenas números)"},
      {"too long", "112223330001810", "CNPJ deve ter 14 dígitos. (Apenas números)"},
      {"letters", "1122233300018A", "CNPJ deve ter 14 dígitos. (Apenas números)"},
      {"fourteen zeros", "00000000000000", "CNPJ inválido."},
      {"wrong first check digit", "11222333000191", "CNPJ inválido."},
      {"wrong second check digit", "11222333000182", "CNPJ inválido."},
      {"equal digits not refused by rule", "11111111111111", "CNPJ inválido."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValidarCNPJ(c.input), c.expected);
  }
}

TEST(ValidacaoDocumento, CPF) {
  const Case cases[] = {
      {"valid digits only", "11144477735", ""},
      {"valid with dots and dash", "111.444.777-35", ""},
      {"valid second example", "529.982.247-25", ""},
      {"check digit zero (remainder below two)", "00000000191", ""},
      {"empty", "", "CPF não pode ser vazio."},
      {"blanks only", "   ", "CPF não pode ser vazio."},
      {"too short", "1114447773", "CPF deve ter 11 dígitos. (Apenas números)"},
      {"blank inside", "111444 77735", "CPF deve ter 11 dígitos. (Apenas números)"},
      {"letters", "1114447773X", "CPF deve ter 11 dígitos. (Apenas números)"},
      // Eleven equal digits have right check digits but are refused with their own text.
      {"eleven ones", "11111111111", "CPF inválido !"},
      {"eleven zeros", "00000000000", "CPF inválido !"},
      {"wrong first check digit", "11144477745", "CPF inválido."},
      {"wrong second check digit", "11144477736", "CPF inválido."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValidarCPF(c.input), c.expected);
  }
}

}  // namespace
}  // namespace luvaro
