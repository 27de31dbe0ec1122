#include "dfe/modelos/escrita_modelo.h"

#include <cmath>
#include <cstdio>

#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"

namespace luvaro {

std::string AlertaLimiteLista(int maximo) {
  return "Número de ocorrências maior que o máximo permitido - Máximo " + std::to_string(maximo);
}

void TEscritaModelo::Limite(int quantidade, int maximo, const std::string& tag,
                            const std::string& descricao) const {
  if (quantidade > maximo) Gerador.wAlerta("", tag, descricao, AlertaLimiteLista(maximo));
}

std::string AtributoTexto(const std::string& nome, const std::string& valor, bool obrigatorio) {
  const std::string texto = trimText(valor);
  if (texto.empty() && !obrigatorio) return {};
  return " " + nome + "=\"" + EscaparTextoXML(texto) + "\"";
}

std::string AtributoData(const std::string& nome, DateTime valor, bool obrigatorio) {
  if (std::trunc(valor) == 0 && !obrigatorio) return {};
  const DateTimeParts p = decodeDateTime(valor);
  char texto[16];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02d", p.year, p.month, p.day);
  return AtributoTexto(nome, texto, true);
}

std::string AtributoDataHora(const std::string& nome, DateTime valor, bool obrigatorio) {
  if (std::trunc(valor) == 0 && !obrigatorio) return {};
  const DateTimeParts p = decodeDateTime(valor);
  char texto[32];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day,
                p.hour, p.minute, p.second);
  return AtributoTexto(nome, texto, true);
}

std::string AtributoDecimal(const std::string& nome, double valor, bool obrigatorio) {
  if (valor == 0 && !obrigatorio) return {};
  return AtributoTexto(nome, formatFixed(valor, 2).value_or("0.00"), true);
}

}  // namespace luvaro
