#include "app/core/parametros.h"

#include <charconv>

namespace luvaro {

std::string Posicao(const std::vector<std::string>& pArgs, std::size_t i) {
  return i < pArgs.size() ? pArgs[i] : std::string();
}

std::string LinhaLogParametros(const std::vector<std::string>& pArgs) {
  std::string linha = "Inicio Applicação com os parametros: ";
  for (std::size_t i = 0; i <= 7; ++i) linha += Posicao(pArgs, i) + "  ";
  return linha;
}

std::int32_t StrToInt(const std::string& pTexto) {
  std::size_t inicio = 0;
  while (inicio < pTexto.size() && (pTexto[inicio] == ' ' || pTexto[inicio] == '\t')) ++inicio;
  const char* first = pTexto.data() + inicio;
  const char* last = pTexto.data() + pTexto.size();
  if (first != last && *first == '+') ++first;  // from_chars takes '-' but not '+'
  std::int32_t valor = 0;
  const auto [ptr, ec] = std::from_chars(first, last, valor);
  const bool sinalDuplo = first != pTexto.data() + inicio && first != last && *first == '-';
  if (first == last || ec != std::errc() || ptr != last || sinalDuplo)
    throw EParametroInvalido("'" + pTexto + "' não é um valor inteiro válido");
  return valor;
}

namespace {

void ExigirTexto(const std::string& valor, const char* mensagem) {
  if (valor.empty()) throw EParametroInvalido(mensagem);
}

std::int32_t ExigirFaixa(const std::string& texto, std::int32_t minimo, std::int32_t maximo,
                         const char* mensagem) {
  const std::int32_t valor = StrToInt(texto);
  if (valor < minimo || valor > maximo) throw EParametroInvalido(mensagem);
  return valor;
}

}  // namespace

TRecParametros LerParametros(const std::vector<std::string>& pArgs) {
  TRecParametros p;
  p.versaoOrvane = Posicao(pArgs, 1);
  p.processoExecutar =
      static_cast<TTipoProcesso>(ExigirFaixa(Posicao(pArgs, 2), 0, 2, "Processo inválido."));

  const std::string url = Posicao(pArgs, 3);
  const std::string quarta = Posicao(pArgs, 4);
  const std::string ambiente = Posicao(pArgs, 5);
  const std::string empresa = Posicao(pArgs, 6);

  ExigirTexto(url, "URL Orvane.");
  switch (p.processoExecutar) {
    case TTipoProcesso::procEnvioXML:
      p.grupoESocial = ExigirFaixa(quarta, 1, 3, "Grupo eSocial inválido.");
      break;
    case TTipoProcesso::procConsultaProtocolo:
      ExigirTexto(quarta, "Protocolo Envio não informado.");
      p.protocoloConsulta = quarta;
      break;
    case TTipoProcesso::procConsultaEBX:
      break;  // position 4 is not read
  }
  p.ambiente = ExigirFaixa(ambiente, 0, 1, "Ambiente eSocial inválido.");
  ExigirTexto(empresa, "EmpresaKey não informada.");

  p.urlOrvaneXml = url;
  p.empresaKey = empresa;
  p.tipoProjeto = Posicao(pArgs, 7);
  return p;
}

}  // namespace luvaro
