#pragma once

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

// The system certificate-store back-end (cryWinCrypt): the named system store of the current
// user (or of the machine), certificates with a private key through CryptoAPI or CNG, PFX data
// imported in memory, digests with CNG and signatures through the acquired key. The PIN state
// comes from the facade's TokenEnvironment (TDFeSSL::SetTokenEnv), the chooser from its front.
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

  // Whether the store is open: while a certificate from it is loaded, and during a listing or
  // a choice.
  bool StoreAberta() const;

 private:
  void AbrirStore();
  void FecharStore() noexcept;
  void LiberarCertificado() noexcept;
  void DefinirPIN(bool reportarTudo);

  struct Impl;  // store, loaded certificate and its key
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
