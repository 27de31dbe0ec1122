#include "tests/fuzz/fuzz_support.h"

namespace luvaro::fuzz {

bool Utf8Estrito(std::string_view texto) {
  // The table of well-formed byte sequences of RFC 3629, section 4, checked byte by byte.
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(texto[k]); };
  const auto entre = [&](std::size_t k, unsigned lo, unsigned hi) {
    return k < texto.size() && byte(k) >= lo && byte(k) <= hi;
  };
  while (i < texto.size()) {
    const unsigned c = byte(i);
    std::size_t n = 0;
    if (c <= 0x7F) {
      n = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = entre(i + 1, 0x80, 0xBF) ? 2 : 0;
    } else if (c == 0xE0) {
      n = entre(i + 1, 0xA0, 0xBF) && entre(i + 2, 0x80, 0xBF) ? 3 : 0;
    } else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) {
      n = entre(i + 1, 0x80, 0xBF) && entre(i + 2, 0x80, 0xBF) ? 3 : 0;
    } else if (c == 0xED) {
      n = entre(i + 1, 0x80, 0x9F) && entre(i + 2, 0x80, 0xBF) ? 3 : 0;
    } else if (c == 0xF0) {
      n = entre(i + 1, 0x90, 0xBF) && entre(i + 2, 0x80, 0xBF) && entre(i + 3, 0x80, 0xBF) ? 4 : 0;
    } else if (c >= 0xF1 && c <= 0xF3) {
      n = entre(i + 1, 0x80, 0xBF) && entre(i + 2, 0x80, 0xBF) && entre(i + 3, 0x80, 0xBF) ? 4 : 0;
    } else if (c == 0xF4) {
      n = entre(i + 1, 0x80, 0x8F) && entre(i + 2, 0x80, 0xBF) && entre(i + 3, 0x80, 0xBF) ? 4 : 0;
    }
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace luvaro::fuzz
