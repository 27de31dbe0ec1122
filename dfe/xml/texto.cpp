#include "dfe/xml/texto.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace luvaro {
namespace {

bool isBlank(char c) noexcept {
  return static_cast<unsigned char>(c) <= ' ';
}

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control of the same
// number, as the system's conversion does, so that every byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one code point at `i`, advancing it; an invalid sequence yields U+FFFD for its
// first byte only.
char32_t nextCodePoint(std::string_view s, std::size_t& i) noexcept {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

// Rounds the plain decimal digits "int.frac" half away from zero to `decimals` places.
std::string roundDecimalText(std::string text, int decimals) {
  bool negative = false;
  if (!text.empty() && text[0] == '-') {
    negative = true;
    text.erase(0, 1);
  }
  auto dot = text.find('.');
  std::string whole = dot == std::string::npos ? text : text.substr(0, dot);
  std::string frac = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  const auto places = static_cast<std::size_t>(decimals);
  bool roundUp = frac.size() > places && frac[places] >= '5';
  frac.resize(places, '0');
  std::string digits = whole + frac;
  if (roundUp) {
    int k = static_cast<int>(digits.size()) - 1;
    while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9') {
      digits[static_cast<std::size_t>(k)] = '0';
      --k;
    }
    if (k < 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[static_cast<std::size_t>(k)];
    }
  }
  whole = digits.substr(0, digits.size() - places);
  frac = digits.substr(digits.size() - places);
  if (whole.empty()) whole = "0";
  const bool zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
  std::string out = (negative && !zero) ? "-" : "";
  out += whole;
  if (places > 0) out += "." + frac;
  return out;
}

}  // namespace

std::string_view trimView(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

std::string trimText(std::string_view text) {
  return std::string(trimView(text));
}

std::string trimLeft(std::string_view text) {
  std::size_t b = 0;
  while (b < text.size() && isBlank(text[b])) ++b;
  return std::string(text.substr(b));
}

std::string trimRight(std::string_view text) {
  std::size_t e = text.size();
  while (e > 0 && isBlank(text[e - 1])) --e;
  return std::string(text.substr(0, e));
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool containsNoCase(std::string_view text, std::string_view needle) noexcept {
  if (needle.empty()) return true;
  if (needle.size() > text.size()) return false;
  const auto minuscula = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  const char primeira = minuscula(needle.front());
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
    if (minuscula(text[i]) == primeira && equalsNoCase(text.substr(i, needle.size()), needle))
      return true;
  }
  return false;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

std::string digitsOnly(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c >= '0' && c <= '9') out.push_back(c);
  }
  return out;
}

bool isAllDigits(std::string_view text) noexcept {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    appendUtf8(out, cp);
  }
  return out;
}

std::optional<std::size_t> invalidUtf8At(std::string_view text) noexcept {
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD written in the text
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (nextCodePoint(text, i) == 0xFFFD && text.substr(start, 3) != kReplacement) return start;
  }
  return std::nullopt;
}

std::size_t utf8Length(std::string_view text) noexcept {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    nextCodePoint(text, i);
    ++count;
  }
  return count;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string utf8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = nextCodePoint(text, i);
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    const auto it = std::find(kHighControls.begin(), kHighControls.end(), cp);
    out.push_back(
        it == kHighControls.end() ? '?' : static_cast<char>(0x80 + (it - kHighControls.begin())));
  }
  return out;
}

std::string windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else if (b < 0xA0) {
      appendUtf8(out, kHighControls[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

std::optional<double> parseDecimal(std::string_view text) {
  std::string s = trimText(text);
  if (s.empty()) return std::nullopt;
  std::replace(s.begin(), s.end(), ',', '.');
  const char* first = s.data();
  if (*first == '+') ++first;
  double value = 0;
  const auto [end, ec] = std::from_chars(first, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<long long> parseInteger(std::string_view text) {
  const std::string s = trimText(text);
  if (s.empty()) return std::nullopt;
  const char* first = s.data();
  if (*first == '+') ++first;
  long long value = 0;
  const auto [end, ec] = std::from_chars(first, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::optional<std::string> formatFixed(double value, int decimals, char decimalChar) {
  if (!std::isfinite(value)) return std::nullopt;
  // The shortest text that reads back as the same double is the number the caller meant
  // (1.005 stays 1.005), so rounding happens on those digits, not on the binary value.
  std::array<char, 400> buf{};
  const auto [end, ec] =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
  if (ec != std::errc()) return std::nullopt;
  std::string out = roundDecimalText(std::string(buf.data(), end), decimals < 0 ? 0 : decimals);
  if (decimalChar != '.') std::replace(out.begin(), out.end(), '.', decimalChar);
  return out;
}

std::string formatGeneral(double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
  std::array<char, 64> buf{};
  const auto [end, ec] =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return std::string(buf.data(), end);
}

}  // namespace luvaro
