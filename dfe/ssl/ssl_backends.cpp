// The back-end bases: what a back-end that was not chosen answers.

#include "dfe/ssl/ssl_backends.h"

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"

namespace luvaro {

namespace {

[[noreturn]] void NaoSuportado(const char* operacao, const std::string& classe) {
  throw EDFeException(std::string("\"") + operacao + "\" não suportado em: " + classe);
}

[[noreturn]] void NaoImplementado(const char* metodo, const std::string& classe) {
  throw EDFeException(std::string("Método \"") + metodo + "\" não implementado em: " + classe);
}

}  // namespace

// --- crypto

TDFeSSLCryptClass::TDFeSSLCryptClass(TDFeSSL& AOwner)
    : FpDFeSSL(AOwner),
      FpDadosCertificado(std::make_unique<TDadosCertificado>()),
      FpListaCertificados(std::make_unique<TListaCertificados>()) {}

TDFeSSLCryptClass::~TDFeSSLCryptClass() = default;

const CertContext* TDFeSSLCryptClass::GetCertContextWinApi() {
  return nullptr;
}

std::string TDFeSSLCryptClass::GetCertPFXData() {
  return FpDFeSSL.DadosPFX();
}

void TDFeSSLCryptClass::Clear() {
  FpDadosCertificado->Clear();
  FpListaCertificados->Clear();
}

std::string TDFeSSLCryptClass::CalcHash(std::string_view, TSSLDgst, bool) {
  NaoSuportado("CalcHash", ClassName());
}

bool TDFeSSLCryptClass::ValidarHash(std::string_view, TSSLDgst, std::string_view, bool) {
  NaoSuportado("ValidarHash", ClassName());
}

void TDFeSSLCryptClass::CarregarCertificado() {
  FpCertificadoLido = true;
}

void TDFeSSLCryptClass::DescarregarCertificado() {
  FpDadosCertificado->Clear();
  FpListaCertificados->Clear();
  FpCertificadoLido = false;
}

std::string TDFeSSLCryptClass::SelecionarCertificado() {
  NaoSuportado("SelecionarCertificado", ClassName());
}

void TDFeSSLCryptClass::LerCertificadosStore() {
  NaoSuportado("LerCertificadosStore", ClassName());
}

bool TDFeSSLCryptClass::CarregarCertificadoPublico(const std::string&) {
  NaoSuportado("CarregarCertificadoPublico", ClassName());
}

// --- HTTP

void TDFeSSLHttpClass::ConfigurarHTTP(const std::string&, const std::string&, const std::string&) {
  NaoImplementado("ConfigurarHTTP", ClassName());
}

std::string TDFeSSLHttpClass::Enviar(const std::string&, const std::string&, const std::string&,
                                     const std::string&) {
  NaoImplementado("Enviar", ClassName());
}

std::string TDFeSSLHttpClass::Obter(const std::string&, const std::string&) {
  NaoImplementado("Obter", ClassName());
}

// --- XML signature

std::string TDFeSSLXmlSignClass::Assinar(const std::string&, const std::string&, const std::string&,
                                         const std::string&, const std::string&, const std::string&,
                                         const std::string&) {
  throw EDFeException(ClassName() + ".Assinar, não implementado");
}

bool TDFeSSLXmlSignClass::Validar(const std::string&, const std::string&, std::string&) {
  NaoSuportado("Validar", ClassName());
}

bool TDFeSSLXmlSignClass::VerificarAssinatura(const std::string&, std::string&, const std::string&,
                                              const std::string&, const std::string&,
                                              const std::string&, const std::string&) {
  NaoSuportado("ValidarAssinatura", ClassName());
}

}  // namespace luvaro
