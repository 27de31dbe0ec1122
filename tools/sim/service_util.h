#pragma once

// Small pieces the government-service stand-ins (eSocial, EFD-Reinf) share: the moment of a
// reception or processing in the forms their replies use, and the digest of a document.

#include <string>
#include <string_view>

namespace luvaro::sim {

struct Momento {
  std::string dataHora;  // 2024-05-10T14:22:31.733 (local time)
  std::string anoMes;    // 202405
  std::string periodo;   // 2024-05
  std::string compacto;  // 20240510142231
};
Momento Agora();

// Base64 of the SHA-256 of the bytes.
std::string Sha256Base64(std::string_view bytes);

}  // namespace luvaro::sim
