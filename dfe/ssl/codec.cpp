#include "dfe/ssl/codec.h"

#include "dfe/ssl/codec_int.h"

namespace luvaro {

std::string HexUpper(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    text += kDigits[c >> 4];
    text += kDigits[c & 0x0F];
  }
  return text;
}

std::optional<std::string> HexDecode(std::string_view text) {
  const auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = value(text[i]);
    const int lo = value(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes += static_cast<char>((hi << 4) | lo);
  }
  return bytes;
}

std::string Base64Encode(std::string_view bytes) {
  return Base64EncodeBlock(bytes);
}

std::optional<std::string> Base64Decode(std::string_view text) {
  std::string clean;
  clean.reserve(text.size());
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') continue;
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '+' || c == '/' || c == '=';
    if (!ok) return std::nullopt;
    clean += c;
  }
  if (clean.size() % 4 != 0) return std::nullopt;
  const std::size_t pad = clean.ends_with("==") ? 2 : clean.ends_with('=') ? 1 : 0;
  if (clean.find('=') < clean.size() - pad) return std::nullopt;
  if (clean.empty()) return std::string();
  return Base64DecodeBlock(clean);
}

}  // namespace luvaro
