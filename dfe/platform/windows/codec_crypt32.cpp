// Base64 blocks through CryptoAPI's string conversions.

#include <windows.h>
#include <wincrypt.h>

#include "dfe/ssl/codec_int.h"

namespace luvaro {

std::string Base64EncodeBlock(std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
  const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  DWORD length = 0;
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &length))
    return {};
  std::string text(length, '\0');
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, text.data(), &length))
    return {};
  text.resize(length);  // the second call counts without the terminating zero
  return text;
}

std::optional<std::string> Base64DecodeBlock(std::string_view text) {
  DWORD length = 0;
  if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                            nullptr, &length, nullptr, nullptr))
    return std::nullopt;
  std::string bytes(length, '\0');
  if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                            reinterpret_cast<BYTE*>(bytes.data()), &length, nullptr, nullptr))
    return std::nullopt;
  bytes.resize(length);
  return bytes;
}

}  // namespace luvaro
