#include "dfe/config/ini_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "dfe/xml/texto.h"

namespace luvaro {

std::string IniDate(DateTime value) {
  if (std::trunc(value) == 0) return {};
  const DateTimeParts p = decodeDateTime(value);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", p.day, p.month, p.year);
  return text;
}

std::string IniDateTime(DateTime value) {
  if (std::trunc(value) == 0) return {};
  const DateTimeParts p = decodeDateTime(value);
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour,
                p.minute, p.second);
  return text;
}

std::string IniDecimal(double value) {
  std::string text = formatGeneral(value == 0 ? 0.0 : value);  // never "-0"
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string IniSectionName(std::string_view name, std::initializer_list<IniIndex> indices) {
  std::string section(name);
  for (const IniIndex& index : indices) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%0*d", index.width, index.number);
    section += digits;
  }
  return section;
}

IniSectionWriter& IniSectionWriter::Text(std::string_view key, std::string_view value) {
  m_ini.WriteString(m_section, key, value);
  return *this;
}

IniSectionWriter& IniSectionWriter::Integer(std::string_view key, std::int64_t value) {
  m_ini.WriteInteger(m_section, key, value);
  return *this;
}

IniSectionWriter& IniSectionWriter::Decimal(std::string_view key, double value) {
  return Text(key, IniDecimal(value));
}

IniSectionWriter& IniSectionWriter::Date(std::string_view key, DateTime value) {
  return Text(key, IniDate(value));
}

IniSectionWriter& IniSectionWriter::DateAndTime(std::string_view key, DateTime value) {
  return Text(key, IniDateTime(value));
}

std::string IniSectionReader::Text(std::string_view key, std::string_view defaultValue) const {
  return m_ini.ReadString(m_section, key, defaultValue);
}

std::int64_t IniSectionReader::Integer(std::string_view key, std::int64_t defaultValue) const {
  return m_ini.ReadInteger(m_section, key, defaultValue);
}

double IniSectionReader::Decimal(std::string_view key, double defaultValue) const {
  const std::string text = trimText(Text(key));
  if (text.empty()) return defaultValue;
  return parseDecimal(text).value_or(defaultValue);
}

DateTime IniSectionReader::Date(std::string_view key, std::string_view defaultValue) const {
  return ParseIniDate(Text(key, defaultValue)).value_or(0);
}

namespace {

// Reads digits up to `separator` (or the end) as a number of 1 to `maxDigits` digits.
bool readNumber(std::string_view& text, char separator, int maxDigits, int& out) {
  std::size_t n = 0;
  while (n < text.size() && text[n] != separator) ++n;
  const std::string_view digits = text.substr(0, n);
  if (digits.empty() || digits.size() > static_cast<std::size_t>(maxDigits) ||
      !isAllDigits(digits)) {
    return false;
  }
  out = 0;
  for (const char c : digits) out = out * 10 + (c - '0');
  text.remove_prefix(n < text.size() ? n + 1 : n);
  return true;
}

}  // namespace

std::optional<DateTime> ParseIniDate(std::string_view textIn) {
  const std::string text = trimText(textIn);
  if (text.empty() || text == "0") return std::nullopt;
  const std::size_t blank = text.find(' ');
  std::string_view date = std::string_view(text).substr(0, blank);
  DateTimeParts parts;
  if (!readNumber(date, '/', 2, parts.day) || !readNumber(date, '/', 2, parts.month) ||
      !readNumber(date, '/', 4, parts.year) || !date.empty()) {
    return std::nullopt;
  }
  if (blank != std::string::npos) {
    const std::string timeText = trimText(std::string_view(text).substr(blank));
    std::string_view time = timeText;
    if (!readNumber(time, ':', 2, parts.hour) || !readNumber(time, ':', 2, parts.minute)) {
      return std::nullopt;
    }
    if (!time.empty() && !readNumber(time, ':', 2, parts.second)) return std::nullopt;
    if (!time.empty()) return std::nullopt;
  }
  DateTime value = 0;
  if (!tryEncodeDateTime(parts, value)) return std::nullopt;
  return value;
}

IniFile LerTextoOuArquivoIni(const std::string& text) {
  if (!text.empty() && text.find_first_of("\r\n") == std::string::npos) {
    std::error_code ec;
    const std::filesystem::path file(trimText(text));
    if (std::filesystem::is_regular_file(file, ec)) {
      IniFile ini;
      ini.LoadFromFile(file);
      return ini;
    }
  }
  return IniFile(text);
}

}  // namespace luvaro
