#pragma once

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

// The system certificate-store back-end (cryWinCrypt). On this platform the store is every
// certificate that has its private key beside it on a token reached through PKCS#11; keys
// never leave the token.
class TDFeWinCrypt final : public TDFeSSLCryptClass {
 public:
  explicit TDFeWinCrypt(TDFeSSL& AOwner);
  ~TDFeWinCrypt() override;

  const CertContext* GetCertContextWinApi() override;
  std::string GetCertPFXData() override;
  std::string CalcHash(std::string_view data, TSSLDgst Digest, bool Assina) override;
  bool ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                   bool Assinado) override;
  void CarregarCertificado() override;
  void DescarregarCertificado() override;
  std::string SelecionarCertificado() override;
  void LerCertificadosStore() override;
  bool CarregarCertificadoPublico(const std::string& DadosX509Base64) override;
  std::string ClassName() const override { return "TDFeWinCrypt"; }

 private:
  struct Impl;  // module, token, loaded certificate and key
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
