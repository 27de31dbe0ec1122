#include "tools/sim/esocial_signature.h"

#include <stdexcept>
#include <string_view>

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
#include <xmlsec/openssl/app.h>

#include "dfe/raii/openssl.h"

namespace luvaro::sim {
namespace {

using KeysMngr = std::unique_ptr<xmlSecKeysMngr, CFree<&xmlSecKeysMngrDestroy>>;
using DSigCtx = std::unique_ptr<xmlSecDSigCtx, CFree<&xmlSecDSigCtxDestroy>>;
using SecKey = std::unique_ptr<xmlSecKey, CFree<&xmlSecKeyDestroy>>;

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

SignatureCheck VerifyEnvelopedSignature(xmlDoc* doc,
                                        const std::optional<std::string>& trustedCaPem) {
  SignatureCheck check;
  xmlNode* signature = SignatureBelowRoot(doc);
  if (!signature) {
    check.detail = "O evento não está assinado.";
    return check;
  }
  KeysMngr mngr(xmlSecKeysMngrCreate());
  if (!mngr || xmlSecOpenSSLAppDefaultKeysMngrInit(mngr.get()) < 0) {
    throw std::runtime_error("xmlSecOpenSSLAppDefaultKeysMngrInit failed");
  }
  if (trustedCaPem &&
      xmlSecOpenSSLAppKeysMngrCertLoadMemory(
          mngr.get(), Bytes(*trustedCaPem), static_cast<xmlSecSize>(trustedCaPem->size()),
          xmlSecKeyDataFormatPem, xmlSecKeyDataTypeTrusted) < 0) {
    throw std::runtime_error("xmlSecOpenSSLAppKeysMngrCertLoadMemory failed: " + DrainOpenSsl());
  }
  DSigCtx ctx(xmlSecDSigCtxCreate(mngr.get()));
  if (!ctx || !RestrictTransforms(ctx.get()))
    throw std::runtime_error("xmlSecDSigCtxCreate failed");
  if (!trustedCaPem) {
    ctx->keyInfoReadCtx.flags |= XMLSEC_KEYINFO_FLAGS_X509DATA_DONT_VERIFY_CERTS;
  }
  const xmlChar* ids[] = {BAD_CAST "Id", BAD_CAST "ID", nullptr};
  xmlSecAddIDs(doc, xmlDocGetRootElement(doc), ids);

  const int rc = xmlSecDSigCtxVerify(ctx.get(), signature);
  ERR_clear_error();
  if (rc < 0) {
    check.detail = ctx->signKey == nullptr
                       ? "Não foi possível obter a chave do certificado da assinatura do evento."
                       : "A assinatura do evento não pôde ser processada.";
    if (trustedCaPem && ctx->signKey == nullptr) {
      check.detail = "O certificado da assinatura do evento não é de uma cadeia confiável.";
    }
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
