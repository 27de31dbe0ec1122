#include "update/versao.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "app/core/util.h"

namespace luvaro {
namespace {

using Json = nlohmann::json;

std::string Texto(const Json& objeto, const char* membro) {
  const auto it = objeto.find(membro);
  if (it == objeto.end())
    throw EDFeException(std::string("O membro \"") + membro + "\" não veio na resposta.");
  if (!it->is_string())
    throw EDFeException(std::string("O membro \"") + membro + "\" da resposta não é um texto.");
  return it->get<std::string>();
}

}  // namespace

double NumeroVersao(const std::string& pVersao) {
  const std::string digitos = TUtil::SomenteNumero(pVersao);
  if (digitos.empty()) throw EVersaoInvalida("'" + pVersao + "' não é um número de versão válido");
  errno = 0;
  const double numero = std::strtod(digitos.c_str(), nullptr);
  if (errno == ERANGE || !std::isfinite(numero))
    throw EVersaoInvalida("'" + pVersao + "' não é um número de versão válido");
  return numero;
}

TResultVersao LerResultVersao(const std::string& pCorpo) {
  const Json corpo = Json::parse(pCorpo, nullptr, false);
  if (corpo.is_discarded())
    throw EDFeException("A resposta do servidor de atualização não é um JSON válido.");
  if (!corpo.is_object())
    throw EDFeException("A resposta do servidor de atualização não é um objeto JSON.");
  TResultVersao resultado;
  resultado.versaoAtual = Texto(corpo, "versao");
  const std::string complemento = Texto(corpo, "informacaoComplementar");
  const std::size_t separador = complemento.find(';');
  if (separador == std::string::npos)
    throw EDFeException(
        "O membro \"informacaoComplementar\" não traz a versão do Orvane e o "
        "endereço do instalador separados por \";\".");
  resultado.versaoOrvane = complemento.substr(0, separador);
  const std::size_t fim = complemento.find(';', separador + 1);
  resultado.linkAtualizar = complemento.substr(
      separador + 1, fim == std::string::npos ? std::string::npos : fim - separador - 1);
  if (fim != std::string::npos) resultado.resumoInstalador = complemento.substr(fim + 1);
  return resultado;
}

std::optional<std::string> Sha256Esperado(const TResultVersao& pResultado) {
  constexpr std::string_view kPrefixo = "sha256:";
  const std::string& resumo = pResultado.resumoInstalador;
  if (resumo.empty()) return std::nullopt;
  std::string hex = resumo.starts_with(kPrefixo) ? resumo.substr(kPrefixo.size()) : std::string();
  const bool valido = hex.size() == 64 && std::all_of(hex.begin(), hex.end(), [](char c) {
                        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                      });
  if (!valido)
    throw EDFeException("O resumo do instalador \"" + resumo +
                        "\" não é \"sha256:\" seguido de 64 dígitos hexadecimais.");
  std::transform(hex.begin(), hex.end(), hex.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return hex;
}

TDecisaoAtualizacao DecidirAtualizacao(const std::string& pVersaoOrvaneInstalada,
                                       const TResultVersao& pResultado) {
  const double instalada = NumeroVersao(pVersaoOrvaneInstalada);
  if (instalada < NumeroVersao(std::string(kVersaoOrvaneMinima)))
    return TDecisaoAtualizacao::OrvaneAbaixoMinimo;
  if (pResultado.versaoAtual == kVersaoLuvaro) return TDecisaoAtualizacao::Continuar;
  if (instalada >= NumeroVersao(pResultado.versaoOrvane)) return TDecisaoAtualizacao::Baixar;
  return TDecisaoAtualizacao::OrvaneDesatualizado;
}

}  // namespace luvaro
