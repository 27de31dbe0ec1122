#pragma once

// Private to the libxml2 XML-signature back-end (dfe/ssl/xmlsign_*.cpp and
// dfe/ssl/libxml2_global.cpp); no other file includes it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <libxml/xmlerror.h>

#include "dfe/raii/libxml2.h"
#include "dfe/ssl/libxml2_global.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

inline constexpr char kNamespaceXmlDsig[] = "http://www.w3.org/2000/09/xmldsig#";
inline constexpr char kNoAssinatura[] = "Signature";
inline constexpr char kMsgFalhaInterpretar[] = "Erro: Falha ao interpretar o XML \"xmlParseDoc\"";

// Upper bound of the entity text one document may expand to (every reference counted with its
// full replacement text, nested references included). Event documents use no entities of
// their own; this is far above any honest use and far below what hurts.
inline constexpr std::size_t kMaxExpansaoEntidades = std::size_t{1} << 20;
// Deepest nesting of entity references followed (libxml2 itself stops at 40 as well).
inline constexpr int kMaxProfundidadeEntidades = 40;

// --- process-wide set-up (libxml2_global.cpp)

// Fails unless the process-wide LibXml2Global is in place.
void InicializarLibXml2();

// --- errors and parsing (xmlsign_parse.cpp)

struct ErroLibXml2 {
  int code = 0;
  std::string message;  // as libxml2 gives it, trailing line break included
};

// Collects the errors libxml2 reports on the calling thread while it lives, instead of
// printing them; restores the thread's previous handler afterwards.
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;  // installed by address on this thread
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  void Limpar() noexcept { m_ultimo.reset(); }
  // While set, errors the parser raises (not well-formed text, namespaces, encodings, the
  // document type) are not kept.
  void IgnorarAnalise(bool ignorar) noexcept { m_ignorarAnalise = ignorar; }
  const std::optional<ErroLibXml2>& Ultimo() const noexcept { return m_ultimo; }

 private:
  static void Receber(void* ctx, xmlErrorPtr erro) noexcept;

  xmlStructuredErrorFunc m_anterior;
  void* m_anteriorCtx;
  std::optional<ErroLibXml2> m_ultimo;
  bool m_ignorarAnalise = false;
};

// Parses a document from memory with entity substitution and default attributes, refusing
// every external entity, external DTD and unparsed entity, and bounding entity expansion.
// Null when the text is not a well-formed document or was refused.
XmlDocPtr AnalisarDocumento(std::string_view texto);

enum class ResultadoFluxo {
  Valido,
  Invalido,    // the validator's errors went to the thread's error handler
  Malformado,  // not a well-formed document, or refused as AnalisarDocumento refuses it
  IdRepetido,  // an attribute value that may be an xs:ID occurs twice: only a tree tells
};

// Validates the text against the schema of `validacao` while parsing it, with the parsing of
// AnalisarDocumento, without building the document's tree. A document found invalid reports
// the same errors as a validation of its tree, except an xs:ID given twice, which only a tree
// shows (IdRepetido then: the tree is needed).
ResultadoFluxo ValidarEmFluxo(std::string_view texto, xmlSchemaValidCtxt& validacao);

// --- text helpers (xmlsign_texto.cpp)

// Removes every CR and LF.
void RemoverQuebrasDeLinha(std::string& texto);
// The part of a qualified name after ":".
std::string_view SemPrefixo(std::string_view nome);
// The identifier `IdAttr`="..." names in the text (empty when absent); raises on bad quoting.
std::string ExtrairURI(std::string_view xml, std::string_view IdAttr);
// The Signature element's text, DigestValue, SignatureValue and X509Certificate left empty.
std::string MontarTemplateAssinatura(std::string_view URI, std::string_view IdSignature,
                                     TSSLDgst Digest);
// The digest named by a SignatureMethod algorithm; raises for a missing or unsupported one.
TSSLDgst DigestDaAssinatura(std::string_view algoritmo);
// The text between the first `inicio` and the next `fim` after it (empty when either is absent).
std::string TextoEntre(std::string_view texto, std::string_view inicio, std::string_view fim);

// --- tree operations (xmlsign_arvore.cpp)

// Inclusive Canonical XML 1.0 (no comments) of every element named `nome` (local name) with
// its subtree, attributes and namespaces in scope; the whole document when `nome` is empty.
std::string CanonizarElemento(xmlDoc* doc, std::string_view nome);
// The enveloped signature of the document, searched around `infElement` (or the root).
xmlNode* LocalizarAssinatura(xmlDoc* doc, std::string_view infElement);
// `inicio` itself when named `nome`, else its first descendant so named (depth first).
xmlNode* LocalizarNo(xmlNode* inicio, std::string_view nome);
// The signature template, parsed once and kept while the next document asks for the same one
// (an eSocial lot signs every event with one template; the parse cost as much as the event's).
class ModeloAssinatura {
 public:
  // Appends a copy of the template's Signature element as the last child of the root element.
  xmlNode* Inserir(xmlDoc* doc, std::string_view modelo);

 private:
  std::mutex m_mutex;  // guards the kept template
  std::string m_texto;
  XmlDocPtr m_doc;  // "<a>" + m_texto + "</a>"
};
// The whole document with its declaration, empty elements as an opening and a closing tag.
std::string SerializarDocumento(xmlDoc* doc);
// Refuses a document declaring a namespace whose name holds "<" or "&": libxml2 writes namespace
// names as they are, so the signed document would no longer be XML.
void ExigirNamespacesGravaveis(xmlDoc* doc);
std::string SerializarNo(xmlDoc* doc, xmlNode* no);
std::string ConteudoNo(const xmlNode* no);
// Removes the line breaks the serialised document would carry in text, CDATA, comments and
// processing instructions, so that what is digested is what the caller receives.
void RemoverQuebrasDeLinhaDoConteudo(xmlDoc* doc);

// --- compiled schemas (xmlsign_schema.cpp)

// Compiled schemas of one back-end, kept per file while the file stays the same (path,
// modification time and size), so that validating many events against one XSD compiles it
// once. Failures are never kept: a broken schema is reported on every call.
class SchemaCache {
 public:
  struct Resultado {
    std::shared_ptr<xmlSchema> schema;  // null on failure
    std::string erro;                   // the message on failure
  };
  Resultado Obter(const std::string& arquivo);

 private:
  struct Entrada {
    std::filesystem::file_time_type modificado;
    std::uintmax_t tamanho = 0;
    std::shared_ptr<xmlSchema> schema;
  };
  static constexpr std::size_t kMaxEntradas = 64;

  std::mutex m_schemasMutex;  // guards m_schemas
  std::unordered_map<std::string, Entrada> m_schemas;
};

}  // namespace luvaro
