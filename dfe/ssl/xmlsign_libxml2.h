#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

class ModeloAssinatura;
class SchemaCache;

// XML-signature back-end on libxml2: enveloped XML-DSig signing with inclusive C14N 1.0, XML
// Schema validation and signature verification. Needs the process-wide LibXml2Global
// (dfe/ssl/libxml2_global.h).
class TDFeSSLXmlSignLibXml2 final : public TDFeSSLXmlSignClass {
 public:
  explicit TDFeSSLXmlSignLibXml2(TDFeSSL& AOwner);
  ~TDFeSSLXmlSignLibXml2() override;

  std::string Assinar(const std::string& ConteudoXML, const std::string& docElement,
                      const std::string& infElement, const std::string& SignatureNode,
                      const std::string& SelectionNamespaces, const std::string& IdSignature,
                      const std::string& IdAttr) override;
  bool Validar(const std::string& ConteudoXML, const std::string& ArqSchema,
               std::string& MsgErro) override;
  bool VerificarAssinatura(const std::string& ConteudoXML, std::string& MsgErro,
                           const std::string& infElement, const std::string& SignatureNode,
                           const std::string& SelectionNamespaces, const std::string& IdSignature,
                           const std::string& IdAttr) override;
  std::string ClassName() const override { return "TDFeSSLXmlSignLibXml2"; }

  // Documents of this size or larger (a whole lot) are validated while they are parsed, with
  // no tree of them in memory; the messages are the same either way.
  static constexpr std::size_t kTamanhoValidacaoEmFluxo = std::size_t{64} << 10;

 private:
  // Compiled schemas, reused while their files stay the same; invisible to callers.
  std::unique_ptr<SchemaCache> FSchemas;
  // The last signature template, parsed once.
  std::unique_ptr<ModeloAssinatura> FModelo;
};

}  // namespace luvaro
