#pragma once

// The Windows twin of dfe/platform/linux/cert_store_pkcs11.h: the same back-end over the
// current user's "My" store, CryptoAPI/CNG keys and the cryptui chooser. Only this declaration
// exists so far; nothing here is compiled on Linux (CMake picks the platform folder, and the
// back-end factory includes the header of the platform it builds for).

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

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

  bool StoreAberta() const;

 private:
  struct Impl;  // store handle, certificate context, cached PFX bytes
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
