#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dfe/ssl/dados_certificado.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

class TDFeSSL;

// The loaded certificate as signing and TLS need it (certificate, private key on the token or
// in memory, and whatever keeps the key usable). Defined in dfe/ssl/cert_context_int.h, which
// only back-end and platform files include.
struct CertContext;

// Crypto back-end: the certificate store, certificate loading and digests/signatures.
// The base answers every operation with the "não suportado" failure.
class TDFeSSLCryptClass {
 public:
  explicit TDFeSSLCryptClass(TDFeSSL& AOwner);
  virtual ~TDFeSSLCryptClass();
  TDFeSSLCryptClass(const TDFeSSLCryptClass&) = delete;  // owns the loaded certificate
  TDFeSSLCryptClass& operator=(const TDFeSSLCryptClass&) = delete;

  // The loaded certificate (loading it when needed); nullptr in the base.
  virtual const CertContext* GetCertContextWinApi();
  // PFX bytes for back-ends that need them; the facade's DadosPFX in the base.
  virtual std::string GetCertPFXData();
  virtual void Clear();
  // Raw digest of `data`, or the raw signature (big-endian) of its digest when `Assina`.
  virtual std::string CalcHash(std::string_view data, TSSLDgst Digest, bool Assina);
  virtual bool ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                           bool Assinado);
  virtual void CarregarCertificado();
  virtual void DescarregarCertificado();
  virtual std::string SelecionarCertificado();
  virtual void LerCertificadosStore();
  virtual bool CarregarCertificadoPublico(const std::string& DadosX509Base64);
  virtual std::string ClassName() const { return "TDFeSSLCryptClass"; }

  TDadosCertificado& DadosCertificado() { return *FpDadosCertificado; }
  TListaCertificados& ListaCertificados() { return *FpListaCertificados; }
  bool CertificadoLido() const { return FpCertificadoLido; }

 protected:
  TDFeSSL& FpDFeSSL;
  std::unique_ptr<TDadosCertificado> FpDadosCertificado;
  std::unique_ptr<TListaCertificados> FpListaCertificados;
  bool FpCertificadoLido = false;
};

// HTTP back-end: one POST per Enviar, one GET per Obter. The base answers with the "não
// implementado" failure.
class TDFeSSLHttpClass {
 public:
  explicit TDFeSSLHttpClass(TDFeSSL& AOwner) : FpDFeSSL(AOwner) {}
  virtual ~TDFeSSLHttpClass() = default;
  TDFeSSLHttpClass(const TDFeSSLHttpClass&) = delete;  // holds a request in flight
  TDFeSSLHttpClass& operator=(const TDFeSSLHttpClass&) = delete;

  virtual int GetHTTPResultCode() { return 0; }
  virtual int GetInternalErrorCode() { return 0; }
  virtual void ConfigurarHTTP(const std::string& AURL, const std::string& ASoapAction,
                              const std::string& AMimeType);
  // Posts `ConteudoXML` (UTF-8 bytes) and returns the reply body.
  virtual std::string Enviar(const std::string& ConteudoXML, const std::string& AURL,
                             const std::string& ASoapAction, const std::string& AMimeType);
  // Gets `AURL` (the REST services' queries) and returns the reply body. Failures as Enviar's.
  virtual std::string Obter(const std::string& AURL, const std::string& AMimeType);
  // Makes a request in flight fail; safe to call from another thread.
  virtual void Abortar() {}
  virtual std::string ClassName() const { return "TDFeSSLHttpClass"; }

 protected:
  TDFeSSL& FpDFeSSL;
};

// XML-signature back-end: signing, schema validation, signature verification.
class TDFeSSLXmlSignClass {
 public:
  explicit TDFeSSLXmlSignClass(TDFeSSL& AOwner) : FpDFeSSL(AOwner) {}
  virtual ~TDFeSSLXmlSignClass() = default;
  TDFeSSLXmlSignClass(const TDFeSSLXmlSignClass&) = delete;  // bound to its facade
  TDFeSSLXmlSignClass& operator=(const TDFeSSLXmlSignClass&) = delete;

  virtual std::string Assinar(const std::string& ConteudoXML, const std::string& docElement,
                              const std::string& infElement, const std::string& SignatureNode,
                              const std::string& SelectionNamespaces,
                              const std::string& IdSignature, const std::string& IdAttr);
  virtual bool Validar(const std::string& ConteudoXML, const std::string& ArqSchema,
                       std::string& MsgErro);
  virtual bool VerificarAssinatura(const std::string& ConteudoXML, std::string& MsgErro,
                                   const std::string& infElement, const std::string& SignatureNode,
                                   const std::string& SelectionNamespaces,
                                   const std::string& IdSignature, const std::string& IdAttr);
  virtual std::string ClassName() const { return "TDFeSSLXmlSignClass"; }

 protected:
  TDFeSSL& FpDFeSSL;
};

// The one place that turns the three enumerations into back-end objects.
std::unique_ptr<TDFeSSLCryptClass> CriarCryptClass(TSSLCryptLib lib, TDFeSSL& owner);
std::unique_ptr<TDFeSSLHttpClass> CriarHttpClass(TSSLHttpLib lib, TDFeSSL& owner);
std::unique_ptr<TDFeSSLXmlSignClass> CriarXmlSignClass(TSSLXmlSignLib lib, TDFeSSL& owner);

// This platform's certificate store (cryWinCrypt). Defined in the platform folder that CMake
// builds (dfe/platform/<os>/), so the factory names no platform header.
std::unique_ptr<TDFeSSLCryptClass> CriarCryptClassPlataforma(TDFeSSL& owner);

}  // namespace luvaro
