#pragma once

// libxml2 plumbing of the eSocial stand-in: owners, a hardened parser, schema checks and small
// tree helpers. Included only by the stand-in's own .cpp files.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

#include "dfe/raii/cfree.h"

namespace luvaro::sim {

using XmlDoc = std::unique_ptr<xmlDoc, CFree<&xmlFreeDoc>>;
using XmlSchemaPtr = std::unique_ptr<xmlSchema, CFree<&xmlSchemaFree>>;
using XmlSchemaParserCtxt = std::unique_ptr<xmlSchemaParserCtxt, CFree<&xmlSchemaFreeParserCtxt>>;
using XmlSchemaValidCtxt = std::unique_ptr<xmlSchemaValidCtxt, CFree<&xmlSchemaFreeValidCtxt>>;
using XmlParserCtxt = std::unique_ptr<xmlParserCtxt, CFree<&xmlFreeParserCtxt>>;

// A parsed document, or the reason it could not be read.
struct ParsedXml {
  XmlDoc doc;
  std::string error;  // empty when `doc` is set
};

// Parses a document from memory without ever fetching anything it names: a document type
// declaration (internal or external) is refused outright, entities are never substituted and
// the network is off. Nothing is written to standard error.
ParsedXml ParseXml(std::string_view text);

// The node and everything below it as text, without an XML declaration and without any
// reformatting, so that a signed document keeps its canonical form.
std::string SerializeNode(xmlNode* node);

// A copy of `element` (and its subtree) as the root of a document of its own; namespaces
// declared on ancestors and used inside are declared again on the new root.
XmlDoc CopyAsDocument(xmlNode* element);

// Tree helpers over borrowed nodes.
std::string_view LocalName(const xmlNode* node);
std::string_view NamespaceUri(const xmlNode* node);
xmlNode* FirstElement(xmlNode* parent);
xmlNode* NextElement(xmlNode* node);
xmlNode* ChildElement(xmlNode* parent, std::string_view localName);
std::vector<xmlNode*> ChildElements(xmlNode* parent, std::string_view localName);
// Text of the first child element of that name ("" when missing).
std::string ChildText(xmlNode* parent, std::string_view localName);
// Text of the element at the given path of child names below `parent` ("" when missing).
std::string PathText(xmlNode* parent, std::initializer_list<std::string_view> path);
std::string NodeText(const xmlNode* node);
// Text of the first element of that name at any depth below `node`, in document order.
std::string DescendantText(xmlNode* node, std::string_view localName);
std::optional<std::string> Attribute(const xmlNode* node, std::string_view name);

// The compiled schemas of one folder, loaded on first use and kept for the run. Thread-safe:
// validation contexts are per call; the cache has its own mutex.
class SchemaSet {
 public:
  explicit SchemaSet(std::filesystem::path folder);
  SchemaSet(const SchemaSet&) = delete;  // owns compiled schemas
  SchemaSet& operator=(const SchemaSet&) = delete;

  const std::filesystem::path& Folder() const noexcept { return m_folder; }
  bool Exists(std::string_view fileName) const;

  // Validates the document against the schema file; the messages of every violation (empty when
  // the document is valid). A schema that cannot be loaded throws std::runtime_error.
  std::vector<std::string> Validate(xmlDoc* doc, std::string_view fileName);

 private:
  xmlSchema* Load(std::string_view fileName);

  std::filesystem::path m_folder;
  std::mutex m_mutex;  // guards m_schemas
  std::map<std::string, XmlSchemaPtr, std::less<>> m_schemas;
};

}  // namespace luvaro::sim
