// Placeholder until the PKCS#11 store lands: answers as the base class.
#include "dfe/platform/linux/cert_store_pkcs11.h"

namespace luvaro {

struct TDFeWinCrypt::Impl {};

TDFeWinCrypt::TDFeWinCrypt(TDFeSSL& AOwner)
    : TDFeSSLCryptClass(AOwner), FImpl(std::make_unique<Impl>()) {}
TDFeWinCrypt::~TDFeWinCrypt() = default;
const CertContext* TDFeWinCrypt::GetCertContextWinApi() { return nullptr; }
std::string TDFeWinCrypt::GetCertPFXData() { return TDFeSSLCryptClass::GetCertPFXData(); }
std::string TDFeWinCrypt::CalcHash(std::string_view d, TSSLDgst g, bool a) {
  return TDFeSSLCryptClass::CalcHash(d, g, a);
}
bool TDFeWinCrypt::ValidarHash(std::string_view d, TSSLDgst g, std::string_view h, bool a) {
  return TDFeSSLCryptClass::ValidarHash(d, g, h, a);
}
void TDFeWinCrypt::CarregarCertificado() { TDFeSSLCryptClass::CarregarCertificado(); }
void TDFeWinCrypt::DescarregarCertificado() { TDFeSSLCryptClass::DescarregarCertificado(); }
std::string TDFeWinCrypt::SelecionarCertificado() {
  return TDFeSSLCryptClass::SelecionarCertificado();
}
void TDFeWinCrypt::LerCertificadosStore() { TDFeSSLCryptClass::LerCertificadosStore(); }
bool TDFeWinCrypt::CarregarCertificadoPublico(const std::string& b) {
  return TDFeSSLCryptClass::CarregarCertificadoPublico(b);
}

}  // namespace luvaro
