#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

namespace luvaro::reinf {

// Text and file helpers of the EFD-Reinf documents. Texts in memory are UTF-8.

// The text of a file's bytes: UTF-8 as it is, and bytes that are not valid UTF-8 read as
// Windows-1252 (the code page of documents written by older Windows programs). A UTF-8
// byte-order mark is dropped. EDFeException when the file cannot be read.
std::string LerArquivoTexto(const std::filesystem::path& arquivo);
// The whole stream from its start, as LerArquivoTexto reads a file's bytes.
std::string LerStreamTexto(std::istream& stream);

// Writes the text's lines, each followed by CR LF (the last one too), replacing the file.
// EDFeException when it cannot be written.
void GravarLinhas(const std::filesystem::path& arquivo, std::string_view texto);

}  // namespace luvaro::reinf
