#include "dfe/xml/texto_xml.h"

#include <array>

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

// Base letters of the Windows-1252 bytes 192..255.
constexpr std::array<char, 64> kBaseLetters = {
    'A', 'A', 'A', 'A', 'A', 'A', 'A', 'C',  // 192-199
    'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',  // 200-207
    'D', 'N', 'O', 'O', 'O', 'O', 'O', 'x',  // 208-215
    '0', 'U', 'U', 'U', 'U', 'Y', 'b', 'B',  // 216-223
    'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c',  // 224-231
    'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // 232-239
    'o', 'n', 'o', 'o', 'o', 'o', 'o', '/',  // 240-247
    '0', 'u', 'u', 'u', 'u', 'y', 'b', 'y',  // 248-255
};

int hexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string RemoverAcentos(std::string_view text) {
  std::string bytes = utf8ToWindows1252(text);
  for (char& c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 192) {
      c = kBaseLetters[b - 192];
      b = static_cast<unsigned char>(c);
    }
    if (!(b == 8 || b == 10 || b == 13 || (b >= 32 && b <= 126))) c = ' ';
  }
  return bytes;
}

std::string EscaparTextoXML(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string LimparTextoXML(std::string_view text, bool retirarAcentos, bool retirarEspacos) {
  std::string s = retirarAcentos ? RemoverAcentos(text) : std::string(text);
  s = EscaparTextoXML(windows1252ToUtf8(utf8ToWindows1252(s)));
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r') {
      out.push_back(';');
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out.push_back(';');
    } else if (c == ' ' && retirarEspacos && !out.empty() && out.back() == ' ') {
      // a run of blanks keeps its first one
    } else {
      out.push_back(c);
    }
  }
  return trimText(out);
}

std::string DecodificarTextoXML(std::string_view text) {
  std::string s(text);
  s = replaceAll(std::move(s), "&amp;", "&");
  s = replaceAll(std::move(s), "&lt;", "<");
  s = replaceAll(std::move(s), "&gt;", ">");
  s = replaceAll(std::move(s), "&quot;", "\"");
  s = replaceAll(std::move(s), "&#39;", "'");
  // Each reference is one character whatever its number of digits (&#xE7; and &#x00E7; are
  // both ç); a malformed one is left as written and the search goes on after it.
  std::size_t from = 0;
  while ((from = s.find("&#x", from)) != std::string::npos) {
    const std::size_t end = s.find(';', from + 3);
    if (end == std::string::npos) break;
    char32_t cp = 0;
    bool valid = end > from + 3 && end - from - 3 <= 6;
    for (std::size_t k = from + 3; valid && k < end; ++k) {
      const int v = hexValue(s[k]);
      if (v < 0) valid = false;
      cp = cp * 16 + static_cast<char32_t>(v);
    }
    if (!valid) {
      from += 3;
      continue;
    }
    std::string decoded;
    appendUtf8(decoded, cp);
    s.replace(from, end - from + 1, decoded);
    from += decoded.size();
  }
  return trimText(s);
}

bool DeclaraUTF8(std::string_view xml) {
  constexpr std::size_t kCaracteres = 50;
  std::size_t fim = 0;
  for (std::size_t vistos = 0; fim < xml.size(); ++fim) {
    const bool inicial = (static_cast<unsigned char>(xml[fim]) & 0xC0) != 0x80;
    if (inicial && vistos++ == kCaracteres) break;
  }
  const std::string inicio = lowerAscii(xml.substr(0, fim));
  const std::size_t encoding = inicio.find("encoding");
  return encoding != std::string::npos && inicio.find("utf-8", encoding) != std::string::npos;
}

std::string RemoverDeclaracaoXML(std::string_view xml) {
  constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";
  constexpr std::string_view kBrancos = " \t\r\n";
  if (xml.starts_with(kBomUtf8)) xml.remove_prefix(kBomUtf8.size());
  std::size_t inicio = xml.find_first_not_of(kBrancos);
  if (inicio == std::string_view::npos) return {};
  // "<?xml" followed by a blank opens the declaration; "<?xml-stylesheet" is another thing.
  const bool declaracao = xml.substr(inicio, 5) == "<?xml" && xml.size() > inicio + 5 &&
                          kBrancos.find(xml[inicio + 5]) != std::string_view::npos;
  if (declaracao) {
    const std::size_t fim = xml.find("?>", inicio);
    if (fim != std::string_view::npos) {
      inicio = xml.find_first_not_of(kBrancos, fim + 2);
      if (inicio == std::string_view::npos) return {};
    }
  }
  return std::string(xml.substr(inicio));
}

std::vector<std::string> DividirDocumentos(std::string_view texto, std::string_view fechamento,
                                           std::string* resto) {
  std::vector<std::string> documentos;
  std::string_view restante = texto;
  for (std::size_t fim = restante.find(fechamento); fim != std::string_view::npos;
       fim = restante.find(fechamento)) {
    documentos.emplace_back(restante.substr(0, fim + fechamento.size()));
    restante = trimView(restante.substr(fim + fechamento.size()));
  }
  if (resto != nullptr) *resto = trimText(restante);  // after a document it is trimmed already
  return documentos;
}

}  // namespace luvaro
