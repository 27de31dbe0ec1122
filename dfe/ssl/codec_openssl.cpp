// Base64 blocks through OpenSSL.

#include "dfe/ssl/codec_int.h"

#include <openssl/evp.h>

namespace luvaro {

std::string Base64EncodeBlock(std::string_view bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3), '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
  text.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
  return text;
}

std::optional<std::string> Base64DecodeBlock(std::string_view text) {
  const std::size_t pad = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
  std::string bytes(text.size() / 4 * 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  if (n < 0) return std::nullopt;
  // EVP_DecodeBlock counts the padding as zero bytes.
  bytes.resize(static_cast<std::size_t>(n) - pad);
  return bytes;
}

}  // namespace luvaro
