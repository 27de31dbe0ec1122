#include "tools/sim/service_util.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include <openssl/evp.h>

namespace luvaro::sim {

Momento Agora() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  localtime_r(&t, &tm);
  char dh[32];
  char am[8];
  char pe[8];
  char cp[16];
  std::strftime(dh, sizeof dh, "%Y-%m-%dT%H:%M:%S", &tm);
  std::strftime(am, sizeof am, "%Y%m", &tm);
  std::strftime(pe, sizeof pe, "%Y-%m", &tm);
  std::strftime(cp, sizeof cp, "%Y%m%d%H%M%S", &tm);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(ms));
  return Momento{std::string(dh) + millis, am, pe, cp};
}

std::string Sha256Base64(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("EVP_Digest failed");
  }
  std::string out(4 * ((size + 2) / 3) + 1, '\0');
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), digest, static_cast<int>(size));
  out.resize(static_cast<std::size_t>(written));
  return out;
}

}  // namespace luvaro::sim
