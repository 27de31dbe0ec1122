// Tree-level steps of signing and verification: canonicalisation, finding and inserting the
// signature, serialisation.

#include <exception>
#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/xmlsign_int.h"

namespace luvaro {

namespace {

const char* Texto(const xmlChar* s) {
  return reinterpret_cast<const char*>(s);
}

bool Chamado(const xmlNode* no, std::string_view nome) {
  return no != nullptr && no->type == XML_ELEMENT_NODE && no->name != nullptr &&
         std::string_view(Texto(no->name)) == nome;
}

bool EhAssinatura(const xmlNode* no) {
  return Chamado(no, kNoAssinatura) && no->ns != nullptr && no->ns->href != nullptr &&
         std::string_view(Texto(no->ns->href)) == kNamespaceXmlDsig;
}

// The next node of a depth-first walk of the subtree of `raiz` (children before siblings);
// the DTD's declarations and the content entity references share are not entered.
xmlNode* Proximo(xmlNode* no, const xmlNode* raiz) {
  if (no->children != nullptr && no->type != XML_ENTITY_REF_NODE && no->type != XML_DTD_NODE)
    return no->children;
  while (no != raiz) {
    if (no->next != nullptr) return no->next;
    no = no->parent;
  }
  return nullptr;
}

std::string Canonizar(xmlDoc* doc, xmlC14NIsVisibleCallback visivel, void* dados) {
  const XmlOutputBufferPtr saida(xmlAllocOutputBuffer(nullptr));
  if (!saida || xmlC14NExecute(doc, visivel, dados, XML_C14N_1_0, nullptr, 0, saida.get()) < 0)
    throw EDFeException("Erro ao aplicar transformação C14N");
  const int tamanho = xmlOutputBufferGetSize(saida.get());
  const xmlChar* conteudo = xmlOutputBufferGetContent(saida.get());
  if (tamanho < 0 || conteudo == nullptr) throw EDFeException("Erro ao aplicar transformação C14N");
  return std::string(Texto(conteudo), static_cast<std::size_t>(tamanho));
}

// Whether a node belongs to the node set of
//   (//.|//@*|//namespace::*)[ancestor-or-self::*[local-name()='<nome>']]
// that is, whether it or one of its ancestors is an element of that local name (for a
// namespace node: its element or an ancestor). Answering per node keeps canonicalisation
// linear; the node-set form makes libxml2 merge and search sets in quadratic time, which
// large documents do not survive.
int NoSelecionado(void* dados, xmlNodePtr no, xmlNodePtr pai) {
  const std::string_view nome = *static_cast<const std::string_view*>(dados);
  for (const xmlNode* n = no != nullptr && no->type == XML_NAMESPACE_DECL ? pai : no; n != nullptr;
       n = n->parent)
    if (Chamado(n, nome)) return 1;
  return 0;
}

}  // namespace

std::string CanonizarElemento(xmlDoc* doc, std::string_view nome) {
  if (nome.empty()) return Canonizar(doc, nullptr, nullptr);

  std::string_view local = SemPrefixo(nome);
  if (LocalizarNo(xmlDocGetRootElement(doc), local) == nullptr)
    throw EDFeException("Nenhum elemento encontrado");
  return Canonizar(doc, &NoSelecionado, &local);
}

xmlNode* LocalizarNo(xmlNode* inicio, std::string_view nome) {
  for (xmlNode* no = inicio; no != nullptr; no = Proximo(no, inicio))
    if (Chamado(no, nome)) return no;
  return nullptr;
}

xmlNode* LocalizarAssinatura(xmlDoc* doc, std::string_view infElement) {
  xmlNode* raiz = xmlDocGetRootElement(doc);
  if (raiz == nullptr) return nullptr;

  xmlNode* elemento = raiz;
  if (!infElement.empty()) {
    elemento = LocalizarNo(raiz, SemPrefixo(infElement));
    if (elemento == nullptr) return nullptr;
    if (elemento->parent != nullptr && elemento->parent->type == XML_ELEMENT_NODE)
      elemento = elemento->parent;
  }

  // The last element child (blank text after a signature does not hide it), then the
  // following siblings, first of the element, then of the root.
  for (xmlNode* base : {elemento, raiz}) {
    if (xmlNode* ultimo = xmlLastElementChild(base); EhAssinatura(ultimo)) return ultimo;
    for (xmlNode* irmao = xmlNextElementSibling(base); irmao != nullptr;
         irmao = xmlNextElementSibling(irmao))
      if (EhAssinatura(irmao)) return irmao;
  }
  return nullptr;
}

xmlNode* ModeloAssinatura::Inserir(xmlDoc* doc, std::string_view modelo) {
  const std::lock_guard trava(m_mutex);
  if (!m_doc || m_texto != modelo) {
    m_doc.reset();
    m_texto = modelo;
    m_doc = AnalisarDocumento("<a>" + m_texto + "</a>");
  }
  xmlNode* raizModelo = m_doc ? xmlDocGetRootElement(m_doc.get()) : nullptr;
  xmlNode* raiz = xmlDocGetRootElement(doc);
  if (raizModelo == nullptr || raiz == nullptr)
    throw EDFeException("Erro: Falha ao montar o modelo da assinatura");

  const XmlNodePtr copia(xmlDocCopyNode(raizModelo, doc, 1));
  if (!copia) throw EDFeException("Erro: Falha ao montar o modelo da assinatura");
  xmlNode* assinatura = nullptr;
  while (xmlNode* filho = copia->children) {
    xmlUnlinkNode(filho);
    xmlNode* inserido = xmlAddChild(raiz, filho);
    if (inserido == nullptr) {
      xmlFreeNode(filho);
      throw EDFeException("Erro: Falha ao montar o modelo da assinatura");
    }
    if (assinatura == nullptr && EhAssinatura(inserido)) assinatura = inserido;
  }
  if (assinatura == nullptr) throw EDFeException("Erro: Falha ao montar o modelo da assinatura");
  return assinatura;
}

namespace {

// libxml2's writer hands its output here a piece at a time, straight into the result.
int AcrescentarSaida(void* destino, const char* dados, int tamanho) {
  try {
    static_cast<std::string*>(destino)->append(dados, static_cast<std::size_t>(tamanho));
    return tamanho;
  } catch (const std::exception&) {
    return -1;  // no exception crosses into libxml2; the writer reports the failure
  }
}

}  // namespace

std::string SerializarDocumento(xmlDoc* doc) {
  std::string texto;
  XmlSaveCtxtPtr salvar(
      xmlSaveToIO(&AcrescentarSaida, nullptr, &texto, nullptr, XML_SAVE_NO_EMPTY));
  if (!salvar || xmlSaveDoc(salvar.get(), doc) < 0)
    throw EDFeException("Erro ao gerar o texto do XML");
  // Closing writes what the writer still holds; a failure then leaves the text short.
  if (xmlSaveClose(salvar.release()) < 0) throw EDFeException("Erro ao gerar o texto do XML");
  return texto;
}

void ExigirNamespacesGravaveis(xmlDoc* doc) {
  for (xmlNode* no = doc->children; no != nullptr; no = Proximo(no, nullptr)) {
    if (no->type != XML_ELEMENT_NODE) continue;
    for (const xmlNs* ns = no->nsDef; ns != nullptr; ns = ns->next) {
      const std::string_view nome = ns->href ? Texto(ns->href) : std::string_view();
      if (nome.find_first_of("<&") != std::string_view::npos)
        throw EDFeException("Namespace inválido no XML: \"" + std::string(nome) + "\"");
    }
  }
}

std::string SerializarNo(xmlDoc* doc, xmlNode* no) {
  const XmlBufferPtr buffer(xmlBufferCreate());
  if (!buffer || xmlNodeDump(buffer.get(), doc, no, 0, 0) < 0)
    throw EDFeException("Erro ao gerar o texto do XML");
  return std::string(Texto(xmlBufferContent(buffer.get())),
                     static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

std::string ConteudoNo(const xmlNode* no) {
  if (no == nullptr) return {};
  const XmlCharPtr conteudo(xmlNodeGetContent(no));
  return conteudo ? std::string(Texto(conteudo.get())) : std::string();
}

// libxml2 writes a CR inside text as a character reference, which survives the removal of
// line breaks from the serialised text; every other CR and LF it writes as it is.
void RemoverQuebrasDeLinhaDoConteudo(xmlDoc* doc) {
  for (xmlNode* no = doc->children; no != nullptr; no = Proximo(no, nullptr)) {
    const bool texto = no->type == XML_TEXT_NODE;
    if (!texto && no->type != XML_CDATA_SECTION_NODE && no->type != XML_COMMENT_NODE &&
        no->type != XML_PI_NODE)
      continue;
    if (no->content == nullptr) continue;
    std::string conteudo(Texto(no->content));
    const std::size_t antes = conteudo.size();
    std::erase_if(conteudo, [texto](char c) { return c == '\n' || (!texto && c == '\r'); });
    if (conteudo.size() != antes)
      xmlNodeSetContent(no, reinterpret_cast<const xmlChar*>(conteudo.c_str()));
  }
}

}  // namespace luvaro
