#pragma once

// A small writer of compact XML text (no white space between tags, values escaped), used for
// the replies of the eSocial stand-in.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dfe/xml/texto_xml.h"

namespace luvaro::sim {

class XmlText {
 public:
  using Attrs = std::vector<std::pair<std::string_view, std::string>>;

  XmlText& Open(std::string_view name, const Attrs& attrs = {}) {
    m_out += '<';
    m_out += name;
    for (const auto& [key, value] : attrs) {
      m_out += ' ';
      m_out += key;
      m_out += "=\"";
      m_out += EscaparTextoXML(value);
      m_out += '"';
    }
    m_out += '>';
    m_open.emplace_back(name);
    return *this;
  }
  XmlText& Leaf(std::string_view name, std::string_view text) {
    m_out += '<';
    m_out += name;
    m_out += '>';
    m_out += EscaparTextoXML(text);
    m_out += "</";
    m_out += name;
    m_out += '>';
    return *this;
  }
  // A leaf only when the value is not empty (optional elements).
  XmlText& LeafIf(std::string_view name, std::string_view text) {
    return text.empty() ? *this : Leaf(name, text);
  }
  XmlText& Raw(std::string_view xml) {
    m_out += xml;
    return *this;
  }
  XmlText& Close() {
    m_out += "</";
    m_out += m_open.back();
    m_out += '>';
    m_open.pop_back();
    return *this;
  }
  std::string Take() {
    while (!m_open.empty()) Close();
    return std::move(m_out);
  }

 private:
  std::string m_out;
  std::vector<std::string> m_open;
};

}  // namespace luvaro::sim
