#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace luvaro {

struct JsonMember;

// A JSON document as the ERP's lot is read: members keep their order (repeated names too), and
// every scalar keeps its text: a string unescaped, a number exactly as written, true/false
// as the words, null as an empty text.
struct JsonNode {
  enum class Kind { Scalar, Object, Array };

  Kind kind = Kind::Scalar;
  bool isNull = false;
  std::string text;                 // Scalar
  std::vector<JsonMember> members;  // Object, in document order
  std::vector<JsonNode> items;      // Array, in document order

  // The first member of that name, or null (also when this is not an object).
  const JsonNode* Find(std::string_view name) const;
};

struct JsonMember {
  std::string name;
  JsonNode value;
};

// Parses a whole document (UTF-8, nothing after it); throws EDFeException with a Portuguese
// text and the parser's detail. Nesting deeper than 64 levels is refused.
JsonNode ParseJson(std::string_view text);

// The object {"name":"value",...} with the members in the given order and no blanks; every
// character JSON requires is escaped, the rest written as UTF-8 (bytes that are not UTF-8 are
// replaced by U+FFFD rather than producing a document the ERP cannot read).
std::string JsonObjectText(const std::vector<std::pair<std::string, std::string>>& members);

}  // namespace luvaro
