#include "integration/erp_json.h"

#include <nlohmann/json.hpp>

#include "dfe/dfe_exception.h"

namespace luvaro {
namespace {

constexpr size_t kMaxDepth = 64;

// Builds a JsonNode tree from the parser's events, keeping numbers as written.
class NodeBuilder {
 public:
  using json = nlohmann::json;

  explicit NodeBuilder(JsonNode& root) : m_root(root) {}

  bool null() {
    JsonNode& node = Add();
    node.isNull = true;
    return true;
  }
  bool boolean(bool value) {
    Add().text = value ? "true" : "false";
    return true;
  }
  bool number_integer(json::number_integer_t value) {
    Add().text = std::to_string(value);
    return true;
  }
  bool number_unsigned(json::number_unsigned_t value) {
    Add().text = std::to_string(value);
    return true;
  }
  bool number_float(json::number_float_t, const json::string_t& written) {
    Add().text = written;
    return true;
  }
  bool string(json::string_t& value) {
    Add().text = std::move(value);
    return true;
  }
  bool binary(json::binary_t&) { return Refuse("dados binários não são aceitos"); }
  bool start_object(size_t) { return Open(JsonNode::Kind::Object); }
  bool key(json::string_t& name) {
    m_key = std::move(name);
    return true;
  }
  bool end_object() {
    m_open.pop_back();
    return true;
  }
  bool start_array(size_t) { return Open(JsonNode::Kind::Array); }
  bool end_array() {
    m_open.pop_back();
    return true;
  }
  bool parse_error(size_t, const std::string&, const nlohmann::json::exception& error) {
    return Refuse(error.what());
  }

  const std::string& Error() const { return m_error; }

 private:
  // The node for the next value: the root, a new member or a new array item. Pointers on the
  // stack stay valid: only the innermost open container grows.
  JsonNode& Add() {
    if (m_open.empty()) return m_root;
    JsonNode& parent = *m_open.back();
    if (parent.kind == JsonNode::Kind::Object) {
      parent.members.push_back({std::move(m_key), {}});
      return parent.members.back().value;
    }
    parent.items.emplace_back();
    return parent.items.back();
  }

  bool Open(JsonNode::Kind kind) {
    if (m_open.size() >= kMaxDepth) return Refuse("aninhamento acima de 64 níveis");
    JsonNode& node = Add();
    node.kind = kind;
    m_open.push_back(&node);
    return true;
  }

  bool Refuse(std::string reason) {
    if (m_error.empty()) m_error = std::move(reason);
    return false;
  }

  JsonNode& m_root;
  std::vector<JsonNode*> m_open;
  std::string m_key;
  std::string m_error;
};

}  // namespace

const JsonNode* JsonNode::Find(std::string_view name) const {
  for (const auto& member : members)
    if (member.name == name) return &member.value;
  return nullptr;
}

JsonNode ParseJson(std::string_view text) {
  JsonNode root;
  NodeBuilder builder(root);
  bool ok = false;
  try {
    ok = nlohmann::json::sax_parse(text.begin(), text.end(), &builder);
  } catch (const nlohmann::json::exception& e) {
    throw EDFeException(std::string("Resposta não é um JSON válido: ") + e.what());
  }
  if (!ok) throw EDFeException("Resposta não é um JSON válido: " + builder.Error());
  return root;
}

std::string JsonObjectText(const std::vector<std::pair<std::string, std::string>>& members) {
  const auto quoted = [](const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  std::string body = "{";
  for (const auto& [name, value] : members) {
    if (body.size() > 1) body += ',';
    body += quoted(name) + ':' + quoted(value);
  }
  return body + '}';
}

}  // namespace luvaro
