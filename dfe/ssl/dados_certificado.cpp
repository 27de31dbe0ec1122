#include "dfe/ssl/dados_certificado.h"

#include <cctype>
#include <string_view>

#include "dfe/xml/texto.h"
#include "dfe/xml/validacao_documento.h"

namespace luvaro {

namespace {

constexpr std::string_view kCN = "CN=";

std::string Trim(std::string_view text) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

void TDadosCertificado::Clear() {
  *this = TDadosCertificado();
}

// RazaoSocial: after "CN=" up to the first ":" that follows, else the first ",", else the end.
// CNPJ: the 14 characters after that ":", as digits, kept only when they form a valid CNPJ or
// (an e-CPF) a valid CPF.
void TDadosCertificado::SetSubjectName(const std::string& value) {
  FSubjectName = value;
  FRazaoSocial.clear();
  FCNPJ.clear();

  const std::size_t cn = value.find(kCN);
  if (cn == std::string::npos) return;
  const std::size_t inicio = cn + kCN.size();
  const std::size_t doisPontos = value.find(':', inicio);
  std::size_t fim = doisPontos;
  if (fim == std::string::npos) fim = value.find(',', inicio);
  if (fim == std::string::npos) fim = value.size();
  FRazaoSocial = value.substr(inicio, fim - inicio);

  if (doisPontos == std::string::npos) return;
  const std::string numero = digitsOnly(std::string_view(value).substr(doisPontos + 1, 14));
  if (numero.empty()) return;
  if (ValidarCNPJ(numero).empty() || ValidarCPF(numero).empty()) FCNPJ = numero;
}

// Certificadora: after "CN=" up to "RFB" when it occurs, else the first ",", else the end.
void TDadosCertificado::SetIssuerName(const std::string& value) {
  FIssuerName = value;
  FCertificadora.clear();

  const std::size_t cn = value.find(kCN);
  if (cn == std::string::npos) return;
  const std::size_t inicio = cn + kCN.size();
  std::size_t fim = value.find("RFB", inicio);
  if (fim == std::string::npos) fim = value.find(',', inicio);
  if (fim == std::string::npos) fim = value.size();
  FCertificadora = Trim(std::string_view(value).substr(inicio, fim - inicio));
}

TDadosCertificado& TListaCertificados::New() {
  return *FItens.emplace_back(std::make_unique<TDadosCertificado>());
}

}  // namespace luvaro
