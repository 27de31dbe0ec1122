#pragma once

#include <filesystem>
#include <string>

namespace luvaro {

// The SHA-256 of a file's bytes in lower-case hexadecimal, read piece by piece. Throws
// EDFeException naming the file when it cannot be read. OpenSSL on Linux
// (dfe/raii/resumo_sha256_openssl.cpp), CNG on Windows (dfe/platform/windows).
std::string Sha256DoArquivo(const std::filesystem::path& pArquivo);

}  // namespace luvaro
