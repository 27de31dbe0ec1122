#include "reinf/reinf_texto.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "dfe/dfe_exception.h"
#include "dfe/gravar_arquivo.h"
#include "dfe/xml/texto.h"

namespace luvaro::reinf {
namespace {

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
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
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

std::string Decodificar(std::string bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  if (Utf8Valido(bytes)) return bytes;
  return windows1252ToUtf8(bytes);
}

}  // namespace

std::string LerArquivoTexto(const std::filesystem::path& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  if (!in) throw EDFeException("Arquivo não encontrado: " + arquivo.string());
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EDFeException("Erro ao ler o arquivo: " + arquivo.string());
  return Decodificar(std::move(bytes));
}

std::string LerStreamTexto(std::istream& stream) {
  stream.clear();
  stream.seekg(0);
  std::ostringstream out;
  out << stream.rdbuf();
  return Decodificar(out.str());
}

void GravarLinhas(const std::filesystem::path& arquivo, std::string_view texto) {
  std::string conteudo;
  conteudo.reserve(texto.size() + 64);
  for (const std::string& linha : splitLines(texto)) {
    conteudo += linha;
    conteudo += "\r\n";
  }
  GravarArquivo(arquivo, conteudo);
}

}  // namespace luvaro::reinf
