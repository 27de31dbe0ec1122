#include "dfe/xml/validacao_documento.h"

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

// Drops the punctuation people write numbers with, upper-cases the rest and trims blanks.
std::string normalise(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '.' && c != '/' && c != '-') out.push_back(c);
  }
  return trimText(upperAscii(out));
}

// Modulus-11 check digit over `digits`; weights start at 2 at the rightmost digit and rise by
// one per digit, going back to 2 after `maxWeight` (a CPF passes a weight it never reaches).
char checkDigit(const std::string& digits, int maxWeight) {
  int sum = 0;
  int weight = 2;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == maxWeight ? 2 : weight + 1;
  }
  const int r = sum % 11;
  return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

bool checkDigitsMatch(const std::string& number, std::size_t base, int maxWeight) {
  std::string digits = number.substr(0, base);
  const char first = checkDigit(digits, maxWeight);
  digits.push_back(first);
  const char second = checkDigit(digits, maxWeight);
  return number[base] == first && number[base + 1] == second;
}

}  // namespace

std::string ValidarCNPJ(const std::string& cnpj) {
  const std::string number = normalise(cnpj);
  if (number.empty()) return "CNPJ não pode ser vazio.";
  if (number.size() != 14 || !isAllDigits(number))
    return "CNPJ deve ter 14 dígitos. (Apenas números)";
  if (number == std::string(14, '0')) return "CNPJ inválido.";
  if (!checkDigitsMatch(number, 12, 9)) return "CNPJ inválido.";
  return {};
}

std::string ValidarCPF(const std::string& cpf) {
  const std::string number = normalise(cpf);
  if (number.empty()) return "CPF não pode ser vazio.";
  if (number.size() != 11 || !isAllDigits(number))
    return "CPF deve ter 11 dígitos. (Apenas números)";
  if (number == std::string(11, number[0])) return "CPF inválido !";
  if (!checkDigitsMatch(number, 9, 11)) return "CPF inválido.";
  return {};
}

}  // namespace luvaro
