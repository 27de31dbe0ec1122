// The XML-signature back-end on libxml2: signing, schema validation and verification.

#include "dfe/ssl/xmlsign_libxml2.h"

#include <optional>
#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/xmlsign_int.h"
#include "dfe/xml/texto_xml.h"

namespace luvaro {

namespace {

constexpr char kDeclaracaoUTF8[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::string SemBrancos(std::string texto) {
  std::erase_if(texto, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
  return texto;
}

std::string SemBrancosIniciais(std::string_view xml) {
  if (xml.starts_with("\xEF\xBB\xBF")) xml.remove_prefix(3);
  const std::size_t inicio = xml.find_first_not_of(" \t\r\n");
  return inicio == std::string_view::npos ? std::string() : std::string(xml.substr(inicio));
}

void DefinirConteudo(xmlNode* no, const std::string& conteudo) {
  xmlNodeSetContent(no, reinterpret_cast<const xmlChar*>(conteudo.c_str()));
}

std::string Atributo(const xmlNode* no, const char* nome) {
  if (no == nullptr) return {};
  const XmlCharPtr valor(xmlGetProp(no, reinterpret_cast<const xmlChar*>(nome)));
  return valor ? std::string(reinterpret_cast<const char*>(valor.get())) : std::string();
}

std::string Base64DoNo(xmlNode* assinatura, std::string_view nome) {
  return Base64Decode(ConteudoNo(LocalizarNo(assinatura, nome))).value_or(std::string());
}

// The signature element taken out of its place and put back when this goes away, so that the
// document it was part of can be canonicalised without it.
class AssinaturaRetirada {
 public:
  explicit AssinaturaRetirada(xmlNode* assinatura)
      : m_pai(assinatura->parent), m_seguinte(assinatura->next), m_no(assinatura) {
    xmlUnlinkNode(assinatura);
  }
  ~AssinaturaRetirada() {
    xmlNode* no = m_no.release();
    if (m_seguinte != nullptr ? xmlAddPrevSibling(m_seguinte, no) == nullptr
                              : xmlAddChild(m_pai, no) == nullptr)
      xmlFreeNode(no);
  }
  AssinaturaRetirada(const AssinaturaRetirada&) = delete;  // puts one node back once
  AssinaturaRetirada& operator=(const AssinaturaRetirada&) = delete;

 private:
  xmlNode* m_pai;
  xmlNode* m_seguinte;
  XmlNodePtr m_no;
};

}  // namespace

TDFeSSLXmlSignLibXml2::TDFeSSLXmlSignLibXml2(TDFeSSL& AOwner)
    : TDFeSSLXmlSignClass(AOwner),
      FSchemas(std::make_unique<SchemaCache>()),
      FModelo(std::make_unique<ModeloAssinatura>()) {}

TDFeSSLXmlSignLibXml2::~TDFeSSLXmlSignLibXml2() = default;

std::string TDFeSSLXmlSignLibXml2::Assinar(const std::string& ConteudoXML,
                                           const std::string& /*docElement*/,
                                           const std::string& infElement,
                                           const std::string& /*SignatureNode*/,
                                           const std::string& /*SelectionNamespaces*/,
                                           const std::string& IdSignature,
                                           const std::string& IdAttr) {
  InicializarLibXml2();
  const ErrorCapture erros;

  // The document always opens with a declaration: its own when it declares UTF-8, else the
  // UTF-8 one. Whatever stood before it (a byte-order mark, blanks, line breaks) goes, since
  // the parser accepts a declaration only at the very start.
  const bool declaraUTF8 = DeclaraUTF8(ConteudoXML);
  const std::string xml = declaraUTF8 ? SemBrancosIniciais(ConteudoXML)
                                      : kDeclaracaoUTF8 + RemoverDeclaracaoXML(ConteudoXML);
  const std::string URI = ExtrairURI(xml, IdAttr);

  const XmlDocPtr doc = AnalisarDocumento(xml);
  if (!doc || xmlDocGetRootElement(doc.get()) == nullptr) throw EDFeException(kMsgFalhaInterpretar);
  ExigirNamespacesGravaveis(doc.get());
  // The result carries no line break; take them out before digesting, not only after.
  RemoverQuebrasDeLinhaDoConteudo(doc.get());

  if (xmlNode* anterior = LocalizarAssinatura(doc.get(), infElement)) {
    xmlUnlinkNode(anterior);
    const XmlNodePtr descartada(anterior);
  }

  const std::string canonico = CanonizarElemento(doc.get(), URI.empty() ? "" : infElement);
  const TSSLDgst digest = FpDFeSSL.SSLDgst();
  xmlNode* assinatura =
      FModelo->Inserir(doc.get(), MontarTemplateAssinatura(URI, IdSignature, digest));

  xmlNode* digestValue = LocalizarNo(assinatura, "DigestValue");
  if (digestValue == nullptr) throw EDFeException("Node DigestValue não encontrado");
  DefinirConteudo(digestValue,
                  SemBrancos(FpDFeSSL.CalcHash(canonico, digest, TSSLHashOutput::outBase64)));

  xmlNode* signatureValue = LocalizarNo(assinatura, "SignatureValue");
  if (signatureValue == nullptr) throw EDFeException("Node SignatureValue não encontrado");
  const std::string signedInfo = CanonizarElemento(doc.get(), "SignedInfo");
  DefinirConteudo(signatureValue, SemBrancos(FpDFeSSL.CalcHash(signedInfo, digest,
                                                               TSSLHashOutput::outBase64, true)));

  xmlNode* certificado = LocalizarNo(assinatura, "X509Certificate");
  if (certificado == nullptr) throw EDFeException("X509Certificate não encontrado");
  FpDFeSSL.CarregarCertificadoSeNecessario();
  DefinirConteudo(certificado, SemBrancos(FpDFeSSL.DadosCertificado().DERBase64()));

  std::string resultado = SerializarDocumento(doc.get());
  if (!declaraUTF8) resultado = RemoverDeclaracaoXML(resultado);
  RemoverQuebrasDeLinha(resultado);
  return resultado;
}

bool TDFeSSLXmlSignLibXml2::Validar(const std::string& ConteudoXML, const std::string& ArqSchema,
                                    std::string& MsgErro) {
  MsgErro.clear();
  try {
    InicializarLibXml2();
    ErrorCapture erros;
    constexpr char kMsgSemContexto[] = "Erro: Não foi possivel criar um contexto para o Schema";

    // A large document (a whole lot) is validated while it is parsed, without its tree; a
    // tree is still built when only a tree can tell (an ID that may be given twice).
    const bool emFluxo = ConteudoXML.size() >= kTamanhoValidacaoEmFluxo;
    XmlDocPtr doc;
    if (!emFluxo) {
      doc = AnalisarDocumento(ConteudoXML);
      if (!doc || xmlDocGetRootElement(doc.get()) == nullptr) {
        MsgErro = kMsgFalhaInterpretar;
        return false;
      }
    }

    const SchemaCache::Resultado schema = FSchemas->Obter(ArqSchema);
    if (!schema.schema) {
      // A text that is no document is reported as such before a broken schema.
      MsgErro = emFluxo && !AnalisarDocumento(ConteudoXML) ? kMsgFalhaInterpretar : schema.erro;
      return false;
    }
    XmlSchemaValidCtxtPtr validacao(xmlSchemaNewValidCtxt(schema.schema.get()));
    if (!validacao) {
      MsgErro = kMsgSemContexto;
      return false;
    }

    erros.Limpar();
    if (emFluxo) {
      // The parser's own warnings come in between the validator's errors here; the message
      // is the validator's, as when a tree is validated.
      erros.IgnorarAnalise(true);
      const ResultadoFluxo resultado = ValidarEmFluxo(ConteudoXML, *validacao);
      erros.IgnorarAnalise(false);
      if (resultado == ResultadoFluxo::Valido) return true;
      if (resultado == ResultadoFluxo::Malformado) {
        MsgErro = kMsgFalhaInterpretar;
        return false;
      }
      if (resultado == ResultadoFluxo::IdRepetido) {
        doc = AnalisarDocumento(ConteudoXML);
        validacao.reset(xmlSchemaNewValidCtxt(schema.schema.get()));
        if (!doc || !validacao) {
          MsgErro = doc ? kMsgSemContexto : kMsgFalhaInterpretar;
          return false;
        }
        erros.Limpar();
      }
    }
    if (doc && xmlSchemaValidateDoc(validacao.get(), doc.get()) == 0) return true;
    if (const auto& ultimo = erros.Ultimo())
      MsgErro = std::to_string(ultimo->code) + " - " + ultimo->message;
    else
      MsgErro = "Erro indefinido, ao validar o Documento com o Schema";
    return false;
  } catch (const std::exception& e) {
    // Validation reports through its result, whatever went wrong.
    MsgErro = e.what();
    return false;
  }
}

bool TDFeSSLXmlSignLibXml2::VerificarAssinatura(const std::string& ConteudoXML,
                                                std::string& MsgErro, const std::string& infElement,
                                                const std::string& /*SignatureNode*/,
                                                const std::string& /*SelectionNamespaces*/,
                                                const std::string& /*IdSignature*/,
                                                const std::string& /*IdAttr*/) {
  MsgErro.clear();
  InicializarLibXml2();
  const ErrorCapture erros;

  const XmlDocPtr doc = AnalisarDocumento(ConteudoXML);
  if (!doc) {
    MsgErro = kMsgFalhaInterpretar;
    return false;
  }
  xmlNode* raiz = xmlDocGetRootElement(doc.get());
  if (raiz == nullptr) {
    MsgErro = "Erro: Falha ao localizar o nó Raiz";
    return false;
  }
  xmlNode* assinatura = LocalizarAssinatura(doc.get(), infElement);
  if (assinatura == nullptr) {
    MsgErro = "Erro: Falha ao localizar o nó de Assinatura";
    return false;
  }

  // Canonicalisation failures are reported through MsgErro like every other verdict.
  const auto canonizar = [&](std::string_view nome) -> std::optional<std::string> {
    try {
      return CanonizarElemento(doc.get(), nome);
    } catch (const EDFeException& e) {
      MsgErro = e.what();
      return std::nullopt;
    }
  };

  const std::string URI =
      TextoEntre(SerializarNo(doc.get(), assinatura), "<Reference URI=\"", "\">");
  const std::string digestValue = Base64DoNo(assinatura, "DigestValue");
  const TSSLDgst digest =
      DigestDaAssinatura(Atributo(LocalizarNo(assinatura, "SignatureMethod"), "Algorithm"));

  std::optional<std::string> canonico;
  if (!URI.empty()) {
    canonico = canonizar(infElement);
  } else {
    // The whole document, as it was signed: processing instructions beside the root count.
    const AssinaturaRetirada retirada(assinatura);
    canonico = canonizar("");
  }
  if (!canonico) return false;

  const std::string hash = FpDFeSSL.CalcHash(*canonico, digest, TSSLHashOutput::outBinary);
  if (digestValue.find(hash) == std::string::npos) {
    MsgErro = "DigestValue não confere. Conteúdo de \"" + infElement + "\" foi alterado";
    return false;
  }

  const std::string certificado =
      SemBrancos(ConteudoNo(LocalizarNo(assinatura, "X509Certificate")));
  if (certificado.empty()) {
    MsgErro = "X509Certificate não encontrado";
    return false;
  }
  const std::string signatureValue = Base64DoNo(assinatura, "SignatureValue");
  if (signatureValue.empty()) {
    MsgErro = "Node SignatureValue não encontrado";
    return false;
  }

  // The certificate of the signature replaces the facade's; it is unloaded afterwards.
  bool valida = false;
  try {
    if (!FpDFeSSL.CarregarCertificadoPublico(certificado)) {
      MsgErro = "Erro: Falha ao carregar o certificado da assinatura";
    } else if (const std::optional<std::string> signedInfo = canonizar("SignedInfo")) {
      valida = FpDFeSSL.ValidarHash(*signedInfo, digest, signatureValue, true);
      if (!valida) MsgErro = "Erro: Assinatura inválida, SignatureValue não confere";
    }
  } catch (...) {
    FpDFeSSL.DescarregarCertificado();
    throw;
  }
  FpDFeSSL.DescarregarCertificado();
  return valida;
}

}  // namespace luvaro
