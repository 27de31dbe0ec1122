// The charset of what the ERP hands over: the lot's JSON may come in UTF-8 or in the code page
// of a Windows server.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"
#include "integration/erp_http.h"

namespace luvaro {
namespace {

// Labels read as windows-1252: browsers read ISO-8859-1 and US-ASCII that way too, since
// servers that name them often send the Windows code page's extra characters (“ ” – €).
constexpr std::array<std::string_view, 9> kWindows1252 = {"windows-1252", "cp1252",    "x-cp1252",
                                                          "iso-8859-1",   "iso8859-1", "iso_8859-1",
                                                          "latin1",       "l1",        "us-ascii"};
constexpr std::array<std::string_view, 2> kUtf8 = {"utf-8", "utf8"};

bool Contem(const auto& rotulos, std::string_view rotulo) {
  for (std::string_view r : rotulos)
    if (r == rotulo) return true;
  return false;
}

// The charset parameter of a Content-Type value, lower-cased and unquoted; nothing when the
// value names none.
std::optional<std::string> CharsetDe(std::string_view contentType) {
  std::size_t inicio = contentType.find(';');
  while (inicio != std::string_view::npos) {
    const std::size_t fim = contentType.find(';', inicio + 1);
    const std::string parametro = trimText(contentType.substr(inicio + 1, fim - inicio - 1));
    const std::size_t igual = parametro.find('=');
    if (igual != std::string::npos &&
        lowerAscii(trimText(parametro.substr(0, igual))) == "charset") {
      std::string valor = trimText(parametro.substr(igual + 1));
      if (valor.size() >= 2 && valor.front() == '"' && valor.back() == '"')
        valor = valor.substr(1, valor.size() - 2);
      return lowerAscii(trimText(valor));
    }
    inicio = fim;
  }
  return std::nullopt;
}

}  // namespace

std::string ErpBodyAsUtf8(std::string_view body, std::string_view contentType) {
  const std::optional<std::string> charset = CharsetDe(contentType);
  if (!charset || Contem(kUtf8, *charset)) {
    if (const std::optional<std::size_t> posicao = invalidUtf8At(body)) {
      throw EDFeException("A resposta do Orvane não é um texto UTF-8 válido (byte " +
                          std::to_string(*posicao + 1) +
                          (charset ? "" : "; nenhum charset informado") + ").");
    }
    return std::string(body);
  }
  if (Contem(kWindows1252, *charset)) return windows1252ToUtf8(body);
  throw EDFeException("A resposta do Orvane usa um charset não suportado: " + *charset + ".");
}

}  // namespace luvaro
