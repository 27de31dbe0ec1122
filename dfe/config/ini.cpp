#include "dfe/config/ini.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "dfe/dfe_exception.h"
#include "dfe/gravar_arquivo.h"
#include "dfe/xml/texto.h"

namespace luvaro {

void IniFile::SetText(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  SetLines(splitLines(text));
}

void IniFile::Clear() {
  m_sections.clear();
  m_index.clear();
}

void IniFile::SetLines(const std::vector<std::string>& lines) {
  Clear();
  Section* current = nullptr;
  bool first = true;
  for (const std::string& raw : lines) {
    std::string_view view(raw);
    if (first && view.starts_with("\xEF\xBB\xBF")) view.remove_prefix(3);
    first = false;
    const std::string line = trimText(view);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      const std::string name = trimText(std::string_view(line).substr(1, line.size() - 2));
      current = FindSection(name);
      if (current == nullptr) current = &AddSection(name);
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      current->entries.emplace_back(line, std::string());
    } else {
      current->entries.emplace_back(trimText(std::string_view(line).substr(0, eq)),
                                    trimText(std::string_view(line).substr(eq + 1)));
    }
  }
}

std::string IniFile::Text() const {
  std::string out;
  for (const Section& s : m_sections) {
    out += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) out += e.first + "=" + e.second + "\r\n";
    out += "\r\n";
  }
  return out;
}

void IniFile::LoadFromFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    Clear();
    return;
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) throw EDFeException("Erro ao ler o arquivo: " + file.string());
  SetText(bytes);
}

void IniFile::SaveToFile(const std::filesystem::path& file) const {
  GravarArquivo(file, Text());
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = m_index.find(lowerAscii(name));
  return found == m_index.end() ? nullptr : &m_sections[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

IniFile::Section& IniFile::AddSection(std::string name) {
  m_index.emplace(lowerAscii(name), m_sections.size());
  m_sections.push_back({std::move(name), {}});
  return m_sections.back();
}

void IniFile::IndexSections() {
  m_index.clear();
  for (std::size_t i = 0; i < m_sections.size(); ++i)
    m_index.emplace(lowerAscii(m_sections[i].name), i);
}

const std::string* IniFile::FindValue(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  for (const Entry& e : s->entries) {
    if (equalsNoCase(e.first, key)) return &e.second;
  }
  return nullptr;
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindValue(section, key) != nullptr;
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : m_sections) names.push_back(s.name);
  return names;
}

const std::vector<IniFile::Entry>& IniFile::Entries(std::string_view section) const {
  static const std::vector<Entry> kNone;
  const Section* s = FindSection(section);
  return s == nullptr ? kNone : s->entries;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const std::string* value = FindValue(section, key);
  return value == nullptr ? std::string(defaultValue) : *value;
}

std::int64_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int64_t defaultValue) const {
  const std::string* value = FindValue(section, key);
  if (value == nullptr) return defaultValue;
  const auto n = parseInteger(*value);
  return n ? static_cast<std::int64_t>(*n) : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  const std::string* value = FindValue(section, key);
  if (value == nullptr) return defaultValue;
  if (equalsNoCase(*value, "true")) return true;
  if (equalsNoCase(*value, "false")) return false;
  const auto n = parseInteger(*value);
  return n ? *n != 0 : defaultValue;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  Section* s = FindSection(section);
  if (s == nullptr) s = &AddSection(trimText(section));
  for (Entry& e : s->entries) {
    if (equalsNoCase(e.first, key)) {
      e.second = std::move(clean);
      return;
    }
  }
  s->entries.emplace_back(trimText(key), std::move(clean));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(m_sections, [&](const Section& s) { return equalsNoCase(s.name, section); });
  IndexSections();
}

}  // namespace luvaro
