#include "tools/sim/esocial_signature.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <libxml/tree.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/errors.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmltree.h>
#include <xmlsec/templates.h>
#include <xmlsec/crypto.h>
#include <xmlsec/base64.h>
#include <xmlsec/keys.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/evp.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include "dfe/raii/openssl.h"

namespace luvaro::sim {
namespace {

using DSigCtx = std::unique_ptr<xmlSecDSigCtx, CFree<&xmlSecDSigCtxDestroy>>;
using SecKey = std::unique_ptr<xmlSecKey, CFree<&xmlSecKeyDestroy>>;
using X509Store = std::unique_ptr<X509_STORE, CFree<&X509_STORE_free>>;
using X509StoreCtx = std::unique_ptr<X509_STORE_CTX, CFree<&X509_STORE_CTX_free>>;
using XmlCharPtr = std::unique_ptr<xmlChar, CFree<[](xmlChar* p) { xmlFree(p); }>>;

const xmlSecByte* Bytes(const std::string& text) {
  return reinterpret_cast<const xmlSecByte*>(text.data());
}

std::string DrainOpenSsl() {
  std::string text;
  while (unsigned long code = ERR_get_error()) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
  }
  return text;
}

// Only what an eSocial signature uses may run: no XSLT, XPath or remote documents.
bool RestrictTransforms(xmlSecDSigCtx* ctx) {
  const xmlSecTransformId c14n[] = {
      xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId, xmlSecTransformExclC14NId,
      xmlSecTransformExclC14NWithCommentsId};
  const xmlSecTransformId signature[] = {xmlSecTransformRsaSha1Id, xmlSecTransformRsaSha256Id};
  const xmlSecTransformId digest[] = {xmlSecTransformSha1Id, xmlSecTransformSha256Id};
  for (auto id : c14n) {
    if (xmlSecDSigCtxEnableSignatureTransform(ctx, id) < 0) return false;
    if (xmlSecDSigCtxEnableReferenceTransform(ctx, id) < 0) return false;
  }
  for (auto id : signature) {
    if (xmlSecDSigCtxEnableSignatureTransform(ctx, id) < 0) return false;
  }
  for (auto id : digest) {
    if (xmlSecDSigCtxEnableReferenceTransform(ctx, id) < 0) return false;
  }
  if (xmlSecDSigCtxEnableReferenceTransform(ctx, xmlSecTransformEnvelopedId) < 0) return false;
  ctx->enabledReferenceUris = static_cast<xmlSecTransformUriType>(
      xmlSecTransformUriTypeEmpty | xmlSecTransformUriTypeSameDocument);
  ctx->keyInfoReadCtx.maxRetrievalMethodLevel = 0;
  return true;
}

// The element children of `parent` named `name` in the signature namespace.
std::vector<xmlNode*> DsigChildren(xmlNode* parent, const xmlChar* name) {
  std::vector<xmlNode*> found;
  for (xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE && xmlSecCheckNodeName(n, name, xmlSecDSigNs))
      found.push_back(n);
  return found;
}

// The certificates of the signature's KeyInfo/X509Data/X509Certificate elements; one that
// cannot be read makes the whole list empty.
std::vector<X509Ptr> SignatureCertificates(xmlNode* signature) {
  std::vector<X509Ptr> certificates;
  for (xmlNode* keyInfo : DsigChildren(signature, xmlSecNodeKeyInfo)) {
    for (xmlNode* data : DsigChildren(keyInfo, xmlSecNodeX509Data)) {
      for (xmlNode* node : DsigChildren(data, xmlSecNodeX509Certificate)) {
        const XmlCharPtr text(xmlNodeGetContent(node));
        if (!text) return {};
        std::vector<xmlSecByte> der(static_cast<std::size_t>(xmlStrlen(text.get())) + 1);
        xmlSecSize size = 0;
        const int rc = xmlSecBase64Decode_ex(text.get(), der.data(), der.size(), &size);
        const unsigned char* cursor = der.data();
        X509Ptr certificate(
            rc == 0 && size > 0 ? d2i_X509(nullptr, &cursor, static_cast<long>(size)) : nullptr);
        if (!certificate) return {};
        certificates.push_back(std::move(certificate));
      }
    }
  }
  return certificates;
}

// The signer's public key as an xmlsec key: from the certificate that issued none of the
// others, checked against `trusted` (when given) with the others as intermediates. Null when
// there is no usable certificate or it does not chain to the trusted store.
SecKey SignerKey(xmlNode* signature, X509_STORE* trusted) {
  std::vector<X509Ptr> certificates = SignatureCertificates(signature);
  if (certificates.empty()) return nullptr;
  X509* leaf = nullptr;
  for (const X509Ptr& candidate : certificates) {
    const bool issuer =
        std::any_of(certificates.begin(), certificates.end(), [&](const X509Ptr& other) {
          return other != candidate && X509_check_issued(candidate.get(), other.get()) == X509_V_OK;
        });
    if (!issuer) {
      leaf = candidate.get();
      break;
    }
  }
  if (!leaf) return nullptr;
  if (trusted) {
    X509StackPtr chain(sk_X509_new_null());
    if (!chain) return nullptr;
    for (const X509Ptr& other : certificates) {
      if (other.get() != leaf && !sk_X509_push(chain.get(), other.get())) return nullptr;
    }
    X509StoreCtx context(X509_STORE_CTX_new());
    const bool chains = context &&
                        X509_STORE_CTX_init(context.get(), trusted, leaf, chain.get()) == 1 &&
                        X509_verify_cert(context.get()) == 1;
    sk_X509_zero(chain.get());  // borrowed: the list above owns them
    if (!chains) return nullptr;
  }
  EvpPkeyPtr publicKey(X509_get_pubkey(leaf));
  if (!publicKey) return nullptr;
  xmlSecKeyDataPtr value = xmlSecOpenSSLEvpKeyAdopt(publicKey.get());
  if (!value) return nullptr;
  publicKey.release();  // adopted by the key data
  SecKey key(xmlSecKeyCreate());
  if (!key || xmlSecKeySetValue(key.get(), value) < 0) {
    xmlSecKeyDataDestroy(value);
    return nullptr;
  }
  return key;
}

xmlNode* SignatureBelowRoot(xmlDoc* doc) {
  xmlNode* root = xmlDocGetRootElement(doc);
  for (xmlNode* n = root ? root->children : nullptr; n; n = n->next) {
    if (n->type == XML_ELEMENT_NODE && xmlSecCheckNodeName(n, xmlSecNodeSignature, xmlSecDSigNs)) {
      return n;
    }
  }
  return nullptr;
}

}  // namespace

XmlSecLibrary::XmlSecLibrary() {
  if (xmlSecInit() < 0) throw std::runtime_error("xmlSecInit failed");
  if (xmlSecCheckVersion() != 1) {
    xmlSecShutdown();
    throw std::runtime_error("xmlSecCheckVersion: libxmlsec1 version mismatch");
  }
  if (xmlSecOpenSSLAppInit(nullptr) < 0 || xmlSecOpenSSLInit() < 0) {
    xmlSecShutdown();
    throw std::runtime_error("xmlSecOpenSSLInit failed");
  }
  // Verification failures are reported in the replies; xmlsec's own trace would only be noise.
  xmlSecErrorsDefaultCallbackEnableOutput(0);
}

XmlSecLibrary::~XmlSecLibrary() {
  xmlSecOpenSSLShutdown();
  xmlSecOpenSSLAppShutdown();
  xmlSecShutdown();
}

struct SignatureVerifier::Impl {
  X509Store trusted;  // null: the certificate is not judged
};

SignatureVerifier::SignatureVerifier(const std::optional<std::string>& trustedCaPem)
    : m_impl(std::make_unique<Impl>()) {
  if (!trustedCaPem) return;
  ERR_clear_error();
  m_impl->trusted.reset(X509_STORE_new());
  BioPtr bio(BIO_new_mem_buf(trustedCaPem->data(), static_cast<int>(trustedCaPem->size())));
  if (!m_impl->trusted || !bio)
    throw std::runtime_error("X509_STORE_new failed: " + DrainOpenSsl());
  int loaded = 0;
  while (X509Ptr ca{PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)}) {
    if (X509_STORE_add_cert(m_impl->trusted.get(), ca.get()) != 1)
      throw std::runtime_error("X509_STORE_add_cert failed: " + DrainOpenSsl());
    ++loaded;
  }
  ERR_clear_error();  // the end of the PEM text
  if (loaded == 0) throw std::runtime_error("the trusted CA file holds no PEM certificate");
}

SignatureVerifier::~SignatureVerifier() = default;

SignatureCheck SignatureVerifier::Verify(xmlDoc* doc) const {
  SignatureCheck check;
  xmlNode* signature = SignatureBelowRoot(doc);
  if (!signature) {
    check.detail = "O evento não está assinado.";
    return check;
  }
  ERR_clear_error();
  SecKey key = SignerKey(signature, m_impl->trusted.get());
  if (!key) {
    ERR_clear_error();
    check.detail = m_impl->trusted
                       ? "O certificado da assinatura do evento não é de uma cadeia confiável."
                       : "Não foi possível obter a chave do certificado da assinatura do evento.";
    return check;
  }
  DSigCtx ctx(xmlSecDSigCtxCreate(nullptr));
  if (!ctx || !RestrictTransforms(ctx.get()))
    throw std::runtime_error("xmlSecDSigCtxCreate failed");
  ctx->signKey = key.release();  // the context owns it from here
  const xmlChar* ids[] = {BAD_CAST "Id", BAD_CAST "ID", nullptr};
  xmlSecAddIDs(doc, xmlDocGetRootElement(doc), ids);

  const int rc = xmlSecDSigCtxVerify(ctx.get(), signature);
  ERR_clear_error();
  if (rc < 0) {
    check.detail = "A assinatura do evento não pôde ser processada.";
    return check;
  }
  if (ctx->status != xmlSecDSigStatusSucceeded) {
    check.detail = "A assinatura do evento é inválida: o conteúdo não confere com a assinatura.";
    return check;
  }
  check.valid = true;
  return check;
}

ReplySigner::ReplySigner(std::string keyPem, std::string certPem)
    : m_keyPem(std::move(keyPem)), m_certPem(std::move(certPem)) {
  // Fail at start-up rather than at the first reply.
  SecKey key(xmlSecOpenSSLAppKeyLoadMemory(Bytes(m_keyPem),
                                           static_cast<xmlSecSize>(m_keyPem.size()),
                                           xmlSecKeyDataFormatPem, nullptr, nullptr, nullptr));
  if (!key) throw std::runtime_error("xmlSecOpenSSLAppKeyLoadMemory failed: " + DrainOpenSsl());
  if (xmlSecOpenSSLAppKeyCertLoadMemory(key.get(), Bytes(m_certPem),
                                        static_cast<xmlSecSize>(m_certPem.size()),
                                        xmlSecKeyDataFormatPem) < 0) {
    throw std::runtime_error("xmlSecOpenSSLAppKeyCertLoadMemory failed: " + DrainOpenSsl());
  }
}

ReplySigner ReplySigner::Generated() {
  ERR_clear_error();
  EvpPkeyPtr pkey(EVP_RSA_gen(2048));
  if (!pkey) throw std::runtime_error("EVP_RSA_gen failed: " + DrainOpenSsl());
  X509Ptr cert(X509_new());
  if (!cert) throw std::runtime_error("X509_new failed: " + DrainOpenSsl());
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC, BAD_CAST "BR", -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, BAD_CAST "Luvaro", -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, BAD_CAST "eSocial simulador", -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  X509_set_pubkey(cert.get(), pkey.get());
  if (X509_sign(cert.get(), pkey.get(), EVP_sha256()) <= 0) {
    throw std::runtime_error("X509_sign failed: " + DrainOpenSsl());
  }
  auto toPem = [](auto&& write) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !write(bio.get())) throw std::runtime_error("PEM_write failed: " + DrainOpenSsl());
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
  };
  std::string keyPem = toPem([&](BIO* bio) {
    return PEM_write_bio_PrivateKey(bio, pkey.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
  });
  std::string certPem = toPem([&](BIO* bio) { return PEM_write_bio_X509(bio, cert.get()) == 1; });
  return ReplySigner(std::move(keyPem), std::move(certPem));
}

void ReplySigner::Sign(xmlDoc* doc, const std::string& referenceUri) const {
  xmlNode* root = xmlDocGetRootElement(doc);
  if (!root) throw std::runtime_error("ReplySigner::Sign: empty document");
  xmlNode* signature = xmlSecTmplSignatureCreate(doc, xmlSecTransformInclC14NId,
                                                 xmlSecTransformRsaSha256Id, nullptr);
  if (!signature) throw std::runtime_error("xmlSecTmplSignatureCreate failed");
  xmlAddChild(root, signature);
  xmlNode* reference = xmlSecTmplSignatureAddReference(
      signature, xmlSecTransformSha256Id, nullptr,
      reinterpret_cast<const xmlChar*>(referenceUri.c_str()), nullptr);
  if (!reference || !xmlSecTmplReferenceAddTransform(reference, xmlSecTransformEnvelopedId) ||
      !xmlSecTmplReferenceAddTransform(reference, xmlSecTransformInclC14NId)) {
    throw std::runtime_error("xmlSecTmplSignatureAddReference failed");
  }
  xmlNode* keyInfo = xmlSecTmplSignatureEnsureKeyInfo(signature, nullptr);
  xmlNode* x509 = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
  if (!x509 || !xmlSecTmplX509DataAddCertificate(x509)) {
    throw std::runtime_error("xmlSecTmplKeyInfoAddX509Data failed");
  }
  DSigCtx ctx(xmlSecDSigCtxCreate(nullptr));
  if (!ctx) throw std::runtime_error("xmlSecDSigCtxCreate failed");
  ctx->signKey =
      xmlSecOpenSSLAppKeyLoadMemory(Bytes(m_keyPem), static_cast<xmlSecSize>(m_keyPem.size()),
                                    xmlSecKeyDataFormatPem, nullptr, nullptr, nullptr);
  if (!ctx->signKey || xmlSecOpenSSLAppKeyCertLoadMemory(ctx->signKey, Bytes(m_certPem),
                                                         static_cast<xmlSecSize>(m_certPem.size()),
                                                         xmlSecKeyDataFormatPem) < 0) {
    throw std::runtime_error("loading the reply signing key failed: " + DrainOpenSsl());
  }
  if (xmlSecDSigCtxSign(ctx.get(), signature) < 0) {
    throw std::runtime_error("xmlSecDSigCtxSign failed: " + DrainOpenSsl());
  }
}

}  // namespace luvaro::sim
