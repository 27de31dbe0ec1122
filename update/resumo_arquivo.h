#pragma once

#include <filesystem>
#include <string>

namespace luvaro {

// The SHA-256 of a file's bytes in lower-case hexadecimal. Throws EDFeException naming the file
// when it cannot be read.
std::string Sha256DoArquivo(const std::filesystem::path& pArquivo);

}  // namespace luvaro
