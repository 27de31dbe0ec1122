#include "dfe/config/ini_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

}  // namespace luvaro
