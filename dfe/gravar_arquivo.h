#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "dfe/dfe_exception.h"

namespace luvaro {

// Writes the bytes as the whole content of the file, replacing what it held, and checks the
// result once the file is closed: closing writes what was still buffered, so only then is it
// known that the file holds everything. A failure throws EDFeException naming the file (and the
// system's reason when it gave one), never leaving the caller with a silently short file.
// The content may come in two parts, written one after the other (a declaration before a large
// document, without joining them in memory first).
inline void GravarArquivo(const std::filesystem::path& arquivo, std::string_view inicio,
                          std::string_view conteudo) {
  errno = 0;
  std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
  if (out) out.write(inicio.data(), static_cast<std::streamsize>(inicio.size()));
  if (out) out.write(conteudo.data(), static_cast<std::streamsize>(conteudo.size()));
  if (out.is_open()) out.close();
  if (!out) {
    const int erro = errno;
    throw EDFeException("Não foi possível gravar o arquivo: " + arquivo.string() +
                        (erro != 0 ? std::string(" (") + std::strerror(erro) + ")" : ""));
  }
}

inline void GravarArquivo(const std::filesystem::path& arquivo, std::string_view conteudo) {
  GravarArquivo(arquivo, {}, conteudo);
}

}  // namespace luvaro
