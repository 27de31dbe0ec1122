#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "dfe/config/ini.h"
#include "dfe/xml/data_hora.h"

namespace luvaro {

// Values as the INI texts of documents hold them, in the platform's Brazilian forms (the forms
// the INI readers of the event models take): a date as dd/mm/yyyy, a date-time as
// dd/mm/yyyy hh:nn:ss, the zero date (no date) as an empty text, and a number with the decimal
// comma and no more digits than it needs (1234.5 as "1234,5").
std::string IniDate(DateTime value);
std::string IniDateTime(DateTime value);
std::string IniDecimal(double value);

// One index of a numbered section: the item's number and the digits it is written with.
struct IniIndex {
  int number;
  int width;
};

// The name of a numbered section: `name` followed by each index zero-padded to its width, the
// enclosing items' first ("infoBaseCS" with {1, 3}, {1, 2}, {2, 2} gives "infoBaseCS0010102").
std::string IniSectionName(std::string_view name, std::initializer_list<IniIndex> indices);

// Writes keys of one section of an INI document, in call order.
class IniSectionWriter {
 public:
  IniSectionWriter(IniFile& ini, std::string section) : m_ini(ini), m_section(std::move(section)) {}

  IniSectionWriter& Text(std::string_view key, std::string_view value);
  IniSectionWriter& Integer(std::string_view key, std::int64_t value);
  IniSectionWriter& Decimal(std::string_view key, double value);
  IniSectionWriter& Date(std::string_view key, DateTime value);
  IniSectionWriter& DateAndTime(std::string_view key, DateTime value);

 private:
  IniFile& m_ini;
  std::string m_section;
};

// Reads keys of one section of an INI document, the inverse of IniSectionWriter.
class IniSectionReader {
 public:
  IniSectionReader(const IniFile& ini, std::string section)
      : m_ini(ini), m_section(std::move(section)) {}

  const std::string& Section() const { return m_section; }
  bool Exists() const { return m_ini.SectionExists(m_section); }
  std::string Text(std::string_view key, std::string_view defaultValue = {}) const;
  // A value that is not a whole number gives the default.
  std::int64_t Integer(std::string_view key, std::int64_t defaultValue = 0) const;
  // "," or "." as the decimal separator; a value that is not a number gives the default.
  double Decimal(std::string_view key, double defaultValue = 0) const;
  // "0" or an empty value give no date (0); otherwise dd/mm/yyyy, with an optional time
  // hh:nn:ss after a blank. A text that is no date gives 0 as well.
  DateTime Date(std::string_view key, std::string_view defaultValue = "0") const;

 private:
  const IniFile& m_ini;
  std::string m_section;
};

// A date of an INI text: "0" or empty give nothing; otherwise dd/mm/yyyy, optionally followed
// by a blank and hh:nn:ss (a single digit is taken for the day, month, hour, minute or second).
std::optional<DateTime> ParseIniDate(std::string_view text);

// The INI document of an event model: `text` itself, or, when it is one line without a line
// break naming an existing file, that file's content. Throws EDFeException when such a file
// cannot be read.
IniFile LerTextoOuArquivoIni(const std::string& text);

}  // namespace luvaro
