// Parsing of the documents the XML signature back-end signs, validates and verifies: entity
// substitution stays on, but nothing a document names is ever fetched and the text its
// entities expand to is bounded.

#include <climits>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/globals.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

#include "dfe/ssl/xmlsign_int.h"

namespace luvaro {

// --- errors

ErrorCapture::ErrorCapture()
    : m_anterior(xmlStructuredError), m_anteriorCtx(xmlStructuredErrorContext) {
  xmlSetStructuredErrorFunc(this, &ErrorCapture::Receber);
}

ErrorCapture::~ErrorCapture() {
  xmlSetStructuredErrorFunc(m_anteriorCtx, m_anterior);
}

void ErrorCapture::Receber(void* ctx, xmlErrorPtr erro) noexcept {
  if (ctx == nullptr || erro == nullptr) return;
  auto& captura = *static_cast<ErrorCapture*>(ctx);
  if (captura.m_ignorarAnalise) {
    switch (erro->domain) {
      case XML_FROM_PARSER:
      case XML_FROM_NAMESPACE:
      case XML_FROM_DTD:
      case XML_FROM_IO:
      case XML_FROM_VALID:
        return;
      default:
        break;
    }
  }
  try {
    captura.m_ultimo =
        ErroLibXml2{erro->code, erro->message ? std::string(erro->message) : std::string()};
  } catch (const std::exception&) {
    // No exception may cross into libxml2; without memory the error simply goes unrecorded.
  }
}

namespace {

// Parsing options: entity substitution and default attributes from the internal subset;
// never the network. External subsets are not loaded (no XML_PARSE_DTDLOAD), and libxml2's
// own size limits stay on (no XML_PARSE_HUGE).
constexpr int kOpcoesAnalise = XML_PARSE_NOENT | XML_PARSE_DTDATTR | XML_PARSE_NONET;

// What the parse of one document has met so far; reached from the callbacks through the
// parser context's `_private` (libxml2 copies it into the contexts it makes for entities).
struct EstadoAnalise {
  bool recusado = false;
  std::size_t expandido = 0;  // entity text expanded so far, in bytes
  std::unordered_map<const xmlEntity*, std::size_t> tamanhos;
  std::unordered_set<const xmlEntity*> emCalculo;
  struct ValoresId* ids = nullptr;  // only when validating without a tree
};

xmlParserCtxtPtr Contexto(void* ctx) {
  return static_cast<xmlParserCtxtPtr>(ctx);
}

EstadoAnalise& Estado(void* ctx) {
  return *static_cast<EstadoAnalise*>(Contexto(ctx)->_private);
}

void Recusar(void* ctx) {
  Estado(ctx).recusado = true;
  xmlStopParser(Contexto(ctx));
}

bool Externa(const xmlEntity* entidade) {
  return entidade->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY ||
         entidade->etype == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY ||
         entidade->etype == XML_EXTERNAL_PARAMETER_ENTITY;
}

bool Parametro(const xmlEntity* entidade) {
  return entidade->etype == XML_INTERNAL_PARAMETER_ENTITY ||
         entidade->etype == XML_EXTERNAL_PARAMETER_ENTITY;
}

std::size_t Somar(std::size_t a, std::size_t b) {
  return (a > kMaxExpansaoEntidades || b > kMaxExpansaoEntidades - a) ? kMaxExpansaoEntidades + 1
                                                                      : a + b;
}

// The length of an entity's text with every reference in it replaced, recursively; anything
// above the limit (a reference loop or too deep a nesting included) counts as limit + 1.
std::size_t TamanhoExpandido(EstadoAnalise& estado, xmlDoc* doc, const xmlEntity* entidade,
                             int profundidade) {
  if (entidade->etype == XML_INTERNAL_PREDEFINED_ENTITY || entidade->content == nullptr) return 1;
  if (const auto achado = estado.tamanhos.find(entidade); achado != estado.tamanhos.end())
    return achado->second;
  if (profundidade > kMaxProfundidadeEntidades || !estado.emCalculo.insert(entidade).second)
    return kMaxExpansaoEntidades + 1;

  const bool parametro = Parametro(entidade);
  const char marca = parametro ? '%' : '&';
  const std::string_view texto(reinterpret_cast<const char*>(entidade->content));
  std::size_t total = 0;
  std::size_t i = 0;
  while (i < texto.size() && total <= kMaxExpansaoEntidades) {
    const std::size_t ref = texto.find(marca, i);
    if (ref == std::string_view::npos) {
      total = Somar(total, texto.size() - i);
      break;
    }
    total = Somar(total, ref - i);
    const std::size_t fim = texto.find(';', ref + 1);
    if (fim == std::string_view::npos) {
      total = Somar(total, texto.size() - ref);
      break;
    }
    const std::string nome(texto.substr(ref + 1, fim - ref - 1));
    const auto* nomeXml = reinterpret_cast<const xmlChar*>(nome.c_str());
    const xmlEntity* interna = nome.empty() || nome.front() == '#' ? nullptr
                               : parametro ? xmlGetParameterEntity(doc, nomeXml)
                                           : xmlGetDocEntity(doc, nomeXml);
    total = Somar(
        total, interna ? TamanhoExpandido(estado, doc, interna, profundidade + 1) : fim - ref + 1);
    i = fim + 1;
  }
  estado.emCalculo.erase(entidade);
  estado.tamanhos[entidade] = total;
  return total;
}

// Counts a reference to `entidade` against the document's budget; false when it is spent.
bool Contabilizar(void* ctx, const xmlEntity* entidade) {
  EstadoAnalise& estado = Estado(ctx);
  if (entidade->etype == XML_INTERNAL_PREDEFINED_ENTITY) return true;
  estado.expandido =
      Somar(estado.expandido, TamanhoExpandido(estado, Contexto(ctx)->myDoc, entidade, 0));
  return estado.expandido <= kMaxExpansaoEntidades;
}

// --- SAX callbacks layered over libxml2's own tree builder. Each runs inside libxml2 and
// must not throw; the allocations of the budget bookkeeping are the only ones that could.

xmlEntityPtr ObterEntidade(void* ctx, const xmlChar* nome) {
  try {
    if (Estado(ctx).recusado) return nullptr;
    xmlDoc* doc = Contexto(ctx)->myDoc;
    // Looked up before libxml2's own getter, which would fetch an external entity's content.
    const xmlEntity* declarada = doc ? xmlGetDocEntity(doc, nome) : nullptr;
    if (declarada && (Externa(declarada) || !Contabilizar(ctx, declarada))) {
      Recusar(ctx);
      return nullptr;
    }
  } catch (const std::exception&) {
    Recusar(ctx);
    return nullptr;
  }
  return xmlSAX2GetEntity(ctx, nome);
}

xmlEntityPtr ObterEntidadeParametro(void* ctx, const xmlChar* nome) {
  try {
    if (Estado(ctx).recusado) return nullptr;
    xmlEntityPtr entidade = xmlSAX2GetParameterEntity(ctx, nome);
    if (entidade && (Externa(entidade) || !Contabilizar(ctx, entidade))) {
      Recusar(ctx);
      return nullptr;
    }
    return entidade;
  } catch (const std::exception&) {
    Recusar(ctx);
    return nullptr;
  }
}

void DeclararEntidade(void* ctx, const xmlChar* nome, int tipo, const xmlChar* publicId,
                      const xmlChar* systemId, xmlChar* conteudo) {
  if (tipo != XML_INTERNAL_GENERAL_ENTITY && tipo != XML_INTERNAL_PARAMETER_ENTITY) {
    Recusar(ctx);
    return;
  }
  xmlSAX2EntityDecl(ctx, nome, tipo, publicId, systemId, conteudo);
}

void DeclararEntidadeNaoAnalisada(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*,
                                  const xmlChar*) {
  Recusar(ctx);
}

void SubconjuntoInterno(void* ctx, const xmlChar* nome, const xmlChar* externalId,
                        const xmlChar* systemId) {
  if (externalId != nullptr || systemId != nullptr) {
    Recusar(ctx);
    return;
  }
  xmlSAX2InternalSubset(ctx, nome, externalId, systemId);
}

void SubconjuntoExterno(void* ctx, const xmlChar*, const xmlChar* externalId,
                        const xmlChar* systemId) {
  if (externalId != nullptr || systemId != nullptr) Recusar(ctx);
}

xmlParserInputPtr ResolverEntidade(void* ctx, const xmlChar*, const xmlChar*) {
  Recusar(ctx);
  return nullptr;
}

// Puts the refusing callbacks in the context's handler and points them at `estado`.
void Proteger(xmlParserCtxt& ctxt, EstadoAnalise& estado) {
  ctxt._private = &estado;
  xmlSAXHandler& sax = *ctxt.sax;
  sax.getEntity = &ObterEntidade;
  sax.getParameterEntity = &ObterEntidadeParametro;
  sax.entityDecl = &DeclararEntidade;
  sax.unparsedEntityDecl = &DeclararEntidadeNaoAnalisada;
  sax.internalSubset = &SubconjuntoInterno;
  sax.externalSubset = &SubconjuntoExterno;
  sax.resolveEntity = &ResolverEntidade;
}

// What a validation without a tree keeps of the document: the values of the attributes that
// could be of type xs:ID, by element and attribute name.
struct ValoresId {
  std::unordered_set<std::string> vistos;
  bool repetido = false;
};

std::string_view Texto(const xmlChar* texto) {
  return texto ? std::string_view(reinterpret_cast<const char*>(texto)) : std::string_view();
}

// Start of an element when no tree is built: only what an ID check needs is kept. libxml2
// hands the attributes as five pointers each (name, prefix, namespace, value start, value end).
void InicioElementoSemArvore(void* ctx, const xmlChar* nome, const xmlChar* /*prefixo*/,
                             const xmlChar* uri, int /*quantosNamespaces*/,
                             const xmlChar** /*namespaces*/, int quantosAtributos,
                             int /*quantosPadrao*/, const xmlChar** atributos) {
  EstadoAnalise& estado = Estado(ctx);
  if (estado.ids == nullptr || estado.ids->repetido) return;
  try {
    for (int i = 0; i < quantosAtributos; ++i) {
      const xmlChar** atributo = atributos + 5 * i;
      std::string_view valor(reinterpret_cast<const char*>(atributo[3]),
                             static_cast<std::size_t>(atributo[4] - atributo[3]));
      const std::size_t inicio = valor.find_first_not_of(" \t\r\n");
      if (inicio == std::string_view::npos) continue;
      valor = valor.substr(inicio, valor.find_last_not_of(" \t\r\n") - inicio + 1);
      // An ID is a name without a colon; URIs, numbers and texts with blanks never are.
      const std::string candidato(valor);
      if (xmlValidateNCName(reinterpret_cast<const xmlChar*>(candidato.c_str()), 0) != 0)
        continue;
      std::string chave;
      for (const std::string_view parte :
           {Texto(uri), Texto(nome), Texto(atributo[2]), Texto(atributo[0])}) {
        chave += parte;
        chave += '\n';
      }
      chave += candidato;
      if (!estado.ids->vistos.insert(std::move(chave)).second) estado.ids->repetido = true;
    }
  } catch (const std::exception&) {
    // Without memory for the bookkeeping the document goes to the tree check.
    estado.ids->repetido = true;
  }
}

}  // namespace

XmlDocPtr AnalisarDocumento(std::string_view texto) {
  if (texto.size() > static_cast<std::size_t>(INT_MAX)) return {};
  XmlParserCtxtPtr ctxt(xmlNewParserCtxt());
  if (!ctxt || ctxt->sax == nullptr) return {};

  EstadoAnalise estado;
  Proteger(*ctxt, estado);
  XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), texto.data(), static_cast<int>(texto.size()), nullptr,
                                  nullptr, kOpcoesAnalise));
  if (estado.recusado || !ctxt->wellFormed) return {};
  return doc;
}

ResultadoFluxo ValidarEmFluxo(std::string_view texto, xmlSchemaValidCtxt& validacao) {
  if (texto.size() > static_cast<std::size_t>(INT_MAX)) return ResultadoFluxo::Malformado;
  XmlParserCtxtPtr ctxt(xmlCreateMemoryParserCtxt(texto.data(), static_cast<int>(texto.size())));
  if (!ctxt || ctxt->sax == nullptr) return ResultadoFluxo::Malformado;

  EstadoAnalise estado;
  ValoresId ids;
  estado.ids = &ids;
  Proteger(*ctxt, estado);
  // The document type and its entities are still kept (entity references are expanded from
  // them); elements, text and the rest go only to the validator.
  xmlSAXHandler& sax = *ctxt->sax;
  sax.startElementNs = &InicioElementoSemArvore;
  sax.endElementNs = nullptr;
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  sax.characters = nullptr;
  sax.ignorableWhitespace = nullptr;
  sax.cdataBlock = nullptr;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.reference = nullptr;
  xmlCtxtUseOptions(ctxt.get(), kOpcoesAnalise);

  // The validator goes between the parser and these callbacks for the length of the parse.
  xmlSchemaSAXPlugPtr plugue = xmlSchemaSAXPlug(&validacao, &ctxt->sax, &ctxt->userData);
  if (plugue == nullptr) return ResultadoFluxo::Malformado;
  xmlParseDocument(ctxt.get());
  const bool valido = xmlSchemaIsValid(&validacao) == 1;
  xmlSchemaSAXUnplug(plugue);
  const XmlDocPtr tipoDocumento(ctxt->myDoc);
  ctxt->myDoc = nullptr;

  if (estado.recusado || !ctxt->wellFormed) return ResultadoFluxo::Malformado;
  // The validator checks that an ID is unique only against a tree; a value seen twice sends
  // the document to the tree check.
  if (ids.repetido) return ResultadoFluxo::IdRepetido;
  return valido ? ResultadoFluxo::Valido : ResultadoFluxo::Invalido;
}

}  // namespace luvaro
