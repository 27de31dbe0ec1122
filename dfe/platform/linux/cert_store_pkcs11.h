#pragma once

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

struct evp_pkey_st;  // OpenSSL's EVP_PKEY, named here without its header

namespace luvaro {

// The system certificate-store back-end (cryWinCrypt). On this platform the store is every
// user certificate on a token reached through PKCS#11 that has its private key beside it (or
// asks for a login first, keeping its keys out of sight until then); keys never leave the
// token. The PKCS#11 module and the login state come from the facade's
// TokenEnvironment (TDFeSSL::SetTokenEnv); the PIN prompt and the chooser from its front.
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

  // Whether the store (the token listing) is open: while a certificate from it is loaded, and
  // during a listing or a choice.
  bool StoreAberta() const;

 private:
  void AbrirStore();
  void FecharStore() noexcept;
  void LiberarCertificado() noexcept;
  void DefinirPIN(bool reportarTudo);
  ::evp_pkey_st* ChavePrivada();
  [[noreturn]] void FalhaAssinatura();

  struct Impl;  // module, store listing, loaded certificate and key
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
