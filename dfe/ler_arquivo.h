#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "dfe/dfe_exception.h"

namespace luvaro {

// The whole content of a file. A file that cannot be opened or read through (a folder, no
// permission, a failing disk) throws EDFeException naming it, with the system's reason when it
// gave one: a caller never takes an unreadable file for an empty one.
inline std::string LerArquivo(const std::filesystem::path& arquivo) {
  errno = 0;
  std::ifstream in(arquivo, std::ios::binary);
  std::string conteudo;
  char bloco[65536];
  while (in.read(bloco, sizeof bloco) || in.gcount() > 0)
    conteudo.append(bloco, static_cast<std::size_t>(in.gcount()));
  if (!in.is_open() || in.bad()) {
    const int erro = errno;
    throw EDFeException("Não foi possível ler o arquivo: " + arquivo.string() +
                        (erro != 0 ? std::string(" (") + std::strerror(erro) + ")" : ""));
  }
  return conteudo;
}

}  // namespace luvaro
