#include "tools/sim/esocial_xml_int.h"

#include <stdexcept>

#include <libxml/parserInternals.h>
#include <libxml/xmlsave.h>

namespace luvaro::sim {
namespace {

using XmlSaveCtxt = std::unique_ptr<xmlSaveCtxt, CFree<&xmlSaveClose>>;
using XmlBuffer = std::unique_ptr<xmlBuffer, CFree<&xmlBufferFree>>;
using XmlChars = std::unique_ptr<xmlChar, CFree<[](xmlChar* p) { xmlFree(p); }>>;

const xmlChar* X(std::string_view text) {
  return reinterpret_cast<const xmlChar*>(text.data());
}

std::string_view View(const xmlChar* text) {
  return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// Set on the parser's own SAX table: a document type declaration stops the parse at once, so
// that nothing it declares or names is ever read.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  ctxt->_private = ctxt;  // marks the refusal
  xmlStopParser(ctxt);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Collects libxml2's structured errors of one schema operation; never lets an exception out.
void CollectError(void* userData, xmlError* error) {
  try {
    auto* messages = static_cast<std::vector<std::string>*>(userData);
    std::string text = error && error->message ? Trimmed(error->message) : "erro desconhecido";
    if (error && error->line > 0) text = "Linha " + std::to_string(error->line) + ": " + text;
    messages->push_back(std::move(text));
  } catch (...) {
    // Out of memory while recording a message: the validation result itself still holds.
  }
}

}  // namespace

ParsedXml ParseXml(std::string_view text) {
  ParsedXml result;
  if (text.size() > static_cast<std::size_t>(INT32_MAX)) {
    result.error = "documento grande demais";
    return result;
  }
  XmlParserCtxt ctxt(xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size())));
  if (!ctxt) {
    result.error = "documento vazio";
    return result;
  }
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  ctxt->sax->internalSubset = &RefuseDoctype;
  ctxt->sax->externalSubset = &RefuseDoctype;
  xmlParseDocument(ctxt.get());
  XmlDoc doc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  if (ctxt->_private != nullptr) {
    result.error = "declaração de tipo de documento (DTD) não é permitida";
  } else if (!ctxt->wellFormed || !doc || !xmlDocGetRootElement(doc.get())) {
    const xmlError* error = xmlCtxtGetLastError(ctxt.get());
    result.error = error && error->message ? Trimmed(error->message) : "documento XML inválido";
    if (error && error->line > 0) {
      result.error = "Linha " + std::to_string(error->line) + ": " + result.error;
    }
  } else {
    result.doc = std::move(doc);
  }
  return result;
}

std::string SerializeNode(xmlNode* node) {
  XmlBuffer buffer(xmlBufferCreate());
  if (!buffer) throw std::runtime_error("xmlBufferCreate failed");
  {
    XmlSaveCtxt save(xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML));
    if (!save) throw std::runtime_error("xmlSaveToBuffer failed");
    if (xmlSaveTree(save.get(), node) < 0) throw std::runtime_error("xmlSaveTree failed");
  }  // closing the context flushes into the buffer
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                     static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

XmlDoc CopyAsDocument(xmlNode* element) {
  XmlDoc doc(xmlNewDoc(X("1.0")));
  if (!doc) throw std::runtime_error("xmlNewDoc failed");
  xmlNode* copy = xmlDocCopyNode(element, doc.get(), 1);
  if (!copy) throw std::runtime_error("xmlDocCopyNode failed");
  xmlDocSetRootElement(doc.get(), copy);
  return doc;
}

std::string_view LocalName(const xmlNode* node) {
  return node ? View(node->name) : "";
}

std::string_view NamespaceUri(const xmlNode* node) {
  return node && node->ns ? View(node->ns->href) : "";
}

xmlNode* FirstElement(xmlNode* parent) {
  if (!parent) return nullptr;
  for (xmlNode* n = parent->children; n; n = n->next) {
    if (n->type == XML_ELEMENT_NODE) return n;
  }
  return nullptr;
}

xmlNode* NextElement(xmlNode* node) {
  for (xmlNode* n = node ? node->next : nullptr; n; n = n->next) {
    if (n->type == XML_ELEMENT_NODE) return n;
  }
  return nullptr;
}

xmlNode* ChildElement(xmlNode* parent, std::string_view localName) {
  for (xmlNode* n = FirstElement(parent); n; n = NextElement(n)) {
    if (LocalName(n) == localName) return n;
  }
  return nullptr;
}

std::vector<xmlNode*> ChildElements(xmlNode* parent, std::string_view localName) {
  std::vector<xmlNode*> found;
  for (xmlNode* n = FirstElement(parent); n; n = NextElement(n)) {
    if (LocalName(n) == localName) found.push_back(n);
  }
  return found;
}

std::string NodeText(const xmlNode* node) {
  if (!node) return {};
  XmlChars content(xmlNodeGetContent(node));
  return std::string(View(content.get()));
}

std::string ChildText(xmlNode* parent, std::string_view localName) {
  return NodeText(ChildElement(parent, localName));
}

std::string PathText(xmlNode* parent, std::initializer_list<std::string_view> path) {
  xmlNode* node = parent;
  for (std::string_view name : path) {
    node = ChildElement(node, name);
    if (!node) return {};
  }
  return NodeText(node);
}

std::string DescendantText(xmlNode* node, std::string_view localName) {
  for (xmlNode* n = FirstElement(node); n; n = NextElement(n)) {
    if (LocalName(n) == localName) return NodeText(n);
    if (FirstElement(n)) {
      if (std::string text = DescendantText(n, localName); !text.empty()) return text;
    }
  }
  return {};
}

std::optional<std::string> Attribute(const xmlNode* node, std::string_view name) {
  if (!node) return std::nullopt;
  const std::string key(name);
  XmlChars value(xmlGetNoNsProp(node, X(key)));
  if (!value) return std::nullopt;
  return std::string(View(value.get()));
}

SchemaSet::SchemaSet(std::filesystem::path folder) : m_folder(std::move(folder)) {}

bool SchemaSet::Exists(std::string_view fileName) const {
  std::error_code ec;
  return std::filesystem::is_regular_file(m_folder / fileName, ec);
}

xmlSchema* SchemaSet::Load(std::string_view fileName) {
  std::lock_guard lock(m_mutex);
  if (auto it = m_schemas.find(fileName); it != m_schemas.end()) return it->second.get();
  const std::string path = (m_folder / fileName).string();
  XmlSchemaParserCtxt parser(xmlSchemaNewParserCtxt(path.c_str()));
  if (!parser) throw std::runtime_error("xmlSchemaNewParserCtxt failed for " + path);
  std::vector<std::string> messages;
  xmlSchemaSetParserStructuredErrors(parser.get(), &CollectError, &messages);
  XmlSchemaPtr schema(xmlSchemaParse(parser.get()));
  if (!schema) {
    std::string detail = messages.empty() ? std::string("sem detalhe") : messages.front();
    throw std::runtime_error("Não foi possível carregar o schema " + path + ": " + detail);
  }
  xmlSchema* raw = schema.get();
  m_schemas.emplace(std::string(fileName), std::move(schema));
  return raw;
}

std::vector<std::string> SchemaSet::Validate(xmlDoc* doc, std::string_view fileName) {
  xmlSchema* schema = Load(fileName);
  XmlSchemaValidCtxt valid(xmlSchemaNewValidCtxt(schema));
  if (!valid) throw std::runtime_error("xmlSchemaNewValidCtxt failed");
  std::vector<std::string> messages;
  xmlSchemaSetValidStructuredErrors(valid.get(), &CollectError, &messages);
  const int rc = xmlSchemaValidateDoc(valid.get(), doc);
  if (rc != 0 && messages.empty()) messages.push_back("documento não confere com o schema");
  return messages;
}

}  // namespace luvaro::sim
