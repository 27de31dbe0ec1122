#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace luvaro {

// An INI document in memory, used for the configuration files and for the service address
// table. Parsing never fails:
// - lines are trimmed; empty lines and lines starting with ";" are comments;
// - "[name]" opens a section (name trimmed); a section named twice continues the first one;
// - inside a section, "key = value" is an entry (both trimmed, split at the first "="); a line
//   without "=" is an entry with that key and an empty value; lines before any section are
//   ignored;
// - a UTF-8 byte-order mark is dropped; CR LF, LF and lone CR all end lines.
// Sections and keys match without regard to ASCII letter case; entries keep their order, and
// the first of two equal keys is the one read and written.
class IniFile {
 public:
  using Entry = std::pair<std::string, std::string>;

  IniFile() = default;
  explicit IniFile(std::string_view text) { SetText(text); }

  void Clear();
  void SetText(std::string_view text);
  void SetLines(const std::vector<std::string>& lines);
  // The document as text: each section, its entries as key=value, a blank line; CR LF ends.
  std::string Text() const;
  // Reads the file (a missing one gives an empty document); throws EDFeException when an
  // existing file cannot be read.
  void LoadFromFile(const std::filesystem::path& file);
  // Throws EDFeException when the file cannot be written.
  void SaveToFile(const std::filesystem::path& file) const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> Sections() const;
  // The entries of a section in file order; empty when the section is absent.
  const std::vector<Entry>& Entries(std::string_view section) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // A value that is not a whole number gives the default.
  std::int64_t ReadInteger(std::string_view section, std::string_view key,
                           std::int64_t defaultValue) const;
  // "1"/"0" as written, "true"/"false" too; anything else gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Line breaks inside a value become blanks, so a value can never open a new entry.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void EraseSection(std::string_view section);

  // An enumeration stored by ordinal; an ordinal outside first..last gives the default.
  template <class E>
  E ReadEnum(std::string_view section, std::string_view key, E defaultValue, E last) const {
    const std::int64_t n = ReadInteger(section, key, static_cast<std::int64_t>(defaultValue));
    return n >= 0 && n <= static_cast<std::int64_t>(last) ? static_cast<E>(n) : defaultValue;
  }
  template <class E>
  void WriteEnum(std::string_view section, std::string_view key, E value) {
    WriteInteger(section, key, static_cast<std::int64_t>(value));
  }

 private:
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& AddSection(std::string name);
  void IndexSections();
  const std::string* FindValue(std::string_view section, std::string_view key) const;

  std::vector<Section> m_sections;
  // Position of each section in m_sections by its name in lower case: an event's INI holds
  // thousands of sections, and each model field looks one up.
  std::unordered_map<std::string, std::size_t> m_index;
};

}  // namespace luvaro
