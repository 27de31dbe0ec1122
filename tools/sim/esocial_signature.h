#pragma once

#include <memory>
#include <optional>
#include <string>

struct _xmlDoc;

namespace luvaro::sim {

// libxmlsec1 with its OpenSSL engine, started once per process before any server thread and
// stopped when the owner goes away (xmlsec keeps process-wide tables of transforms and key
// data). libxml2 itself must already be initialised.
class XmlSecLibrary {
 public:
  XmlSecLibrary();
  ~XmlSecLibrary();
  XmlSecLibrary(const XmlSecLibrary&) = delete;  // one start, one stop per process
  XmlSecLibrary& operator=(const XmlSecLibrary&) = delete;
};

// Outcome of checking the enveloped signature of one event document.
struct SignatureCheck {
  bool valid = false;
  std::string detail;  // why it failed, in Portuguese
};

// Verifies the first Signature element directly below a document's root with libxmlsec1. The
// key comes from the X509Certificate carried in the signature (more than one: the one that
// issued none of the others, the rest helping to build its chain); with `trustedCaPem` the
// certificate must also chain to that CA (and to nothing else: the system's roots play no
// part), without it the certificate itself is not judged. The reference may be empty (the
// whole document) or name an "Id"/"ID" attribute.
//
// Made once per lot: the trusted store is built here, so each event's check only reads its own
// certificate. One thread at a time.
class SignatureVerifier {
 public:
  explicit SignatureVerifier(const std::optional<std::string>& trustedCaPem);
  ~SignatureVerifier();
  SignatureVerifier(const SignatureVerifier&) = delete;  // owns the trusted store
  SignatureVerifier& operator=(const SignatureVerifier&) = delete;

  SignatureCheck Verify(_xmlDoc* doc) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The stand-in's own signing identity, used for the documents the government signs in its
// replies (receipts and totalizers).
class ReplySigner {
 public:
  // From PEM texts of a private key and its certificate.
  ReplySigner(std::string keyPem, std::string certPem);
  // A fresh RSA key and a self-signed certificate, made in memory.
  static ReplySigner Generated();

  // Adds an enveloped RSA-SHA256 signature (inclusive C14N, the certificate in KeyInfo) as the
  // root's last child. The reference is the whole document (""), or "#" + the value of an
  // attribute the document has registered as an ID (an element that must still verify when
  // the document travels inside another one).
  void Sign(_xmlDoc* doc, const std::string& referenceUri = {}) const;

  const std::string& CertificatePem() const noexcept { return m_certPem; }

 private:
  std::string m_keyPem;
  std::string m_certPem;
};

}  // namespace luvaro::sim
