#include "dfe/ws/resposta_ws.h"

#include <string_view>

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

constexpr std::size_t npos = std::string::npos;

std::string ExtrairSemPrefixo(const std::string& Texto, const std::string& Elemento,
                              bool ManterTags, bool& encontrado) {
  const std::string texto = upperAscii(Texto);
  const std::string nome = upperAscii(Elemento);
  const std::size_t inicio = texto.find("<" + nome);
  const std::size_t fim = texto.find("/" + nome);
  encontrado = inicio != npos && fim != npos;
  if (!encontrado) return {};

  if (ManterTags) {
    // Through the character after "/" + name: the ">" of the closing tag.
    const std::size_t ultimo = fim + 1 + nome.size();
    if (ultimo < inicio) return {};
    return Texto.substr(inicio, ultimo - inicio + 1);
  }
  const std::size_t maior = Texto.find('>', inicio);
  if (maior == npos || fim == 0) return {};
  const std::size_t primeiro = maior + 1;
  const std::size_t depoisDoUltimo = fim - 1;  // the "<" of the closing tag is left out
  if (depoisDoUltimo <= primeiro) return {};
  return Texto.substr(primeiro, depoisDoUltimo - primeiro);
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool Utf8Valido(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t minimo = 0;
    if (b0 < 0x80) {
      ++i;
      continue;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      extra = 1, cp = b0 & 0x1Fu, minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2, cp = b0 & 0x0Fu, minimo = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      extra = 3, cp = b0 & 0x07u, minimo = 0x10000;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

struct Entidade {
  std::string_view nome;
  std::string_view texto;
};

// In the order they are replaced: &amp; first, so that "&amp;lt;" ends as "<".
constexpr Entidade kEntidades[] = {
    {"&amp;", "&"},    {"&lt;", "<"},     {"&gt;", ">"},     {"&quot;", "\""},  {"&#39;", "'"},
    {"&aacute;", "á"}, {"&Aacute;", "Á"}, {"&acirc;", "â"},  {"&Acirc;", "Â"},  {"&atilde;", "ã"},
    {"&Atilde;", "Ã"}, {"&agrave;", "à"}, {"&Agrave;", "À"}, {"&eacute;", "é"}, {"&Eacute;", "É"},
    {"&ecirc;", "ê"},  {"&Ecirc;", "Ê"},  {"&iacute;", "í"}, {"&Iacute;", "Í"}, {"&oacute;", "ó"},
    {"&Oacute;", "Ó"}, {"&otilde;", "õ"}, {"&Otilde;", "Õ"}, {"&ocirc;", "ô"},  {"&Ocirc;", "Ô"},
    {"&uacute;", "ú"}, {"&Uacute;", "Ú"}, {"&uuml;", "ü"},   {"&Uuml;", "Ü"},   {"&ccedil;", "ç"},
    {"&Ccedil;", "Ç"}, {"&apos;", "'"},
};

}  // namespace

std::string ExtrairElemento(const std::string& Texto, const std::string& Elemento, bool ManterTags,
                            bool PermitirPrefixo) {
  bool encontrado = false;
  std::string resultado = ExtrairSemPrefixo(Texto, Elemento, ManterTags, encontrado);
  if (encontrado || !PermitirPrefixo) return resultado;

  // The element may carry a namespace prefix: take it from the first ":" + name.
  const std::size_t doisPontos = Texto.find(":" + Elemento);
  if (doisPontos == npos || doisPontos == 0) return {};
  const std::size_t menor = Texto.rfind('<', doisPontos - 1);
  if (menor == npos) return {};
  const std::string prefixo = Texto.substr(menor + 1, doisPontos - menor - 1);
  return ExtrairSemPrefixo(Texto, prefixo + ":" + Elemento, ManterTags, encontrado);
}

std::string DecodificarResposta(const std::string& Texto) {
  std::string texto = Utf8Valido(Texto) ? Texto : windows1252ToUtf8(Texto);
  // The replacements work on the UTF-8 text itself, so that characters outside the 8-bit code
  // page survive a reply that also holds entities.
  for (const Entidade& e : kEntidades) texto = replaceAll(std::move(texto), e.nome, e.texto);
  return texto;
}

std::string TextoEntre(const std::string& Texto, const std::string& Inicio, const std::string& Fim,
                       bool IncluirMarcadores) {
  if (Inicio.empty() || Fim.empty()) return {};
  const std::size_t inicio = Texto.find(Inicio);
  if (inicio == npos) return {};
  const std::size_t depoisDoInicio = inicio + Inicio.size();
  const std::size_t fim = Texto.find(Fim, depoisDoInicio);
  if (fim == npos) return {};
  if (IncluirMarcadores) return Texto.substr(inicio, fim + Fim.size() - inicio);
  return Texto.substr(depoisDoInicio, fim - depoisDoInicio);
}

}  // namespace luvaro
