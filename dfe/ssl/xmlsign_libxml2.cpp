// Placeholder until the libxml2 signature engine lands: answers as the base class.
#include "dfe/ssl/xmlsign_libxml2.h"

namespace luvaro {

TDFeSSLXmlSignLibXml2::TDFeSSLXmlSignLibXml2(TDFeSSL& AOwner) : TDFeSSLXmlSignClass(AOwner) {}

std::string TDFeSSLXmlSignLibXml2::Assinar(const std::string& a, const std::string& b,
                                           const std::string& c, const std::string& d,
                                           const std::string& e, const std::string& f,
                                           const std::string& g) {
  return TDFeSSLXmlSignClass::Assinar(a, b, c, d, e, f, g);
}
bool TDFeSSLXmlSignLibXml2::Validar(const std::string& a, const std::string& b, std::string& c) {
  return TDFeSSLXmlSignClass::Validar(a, b, c);
}
bool TDFeSSLXmlSignLibXml2::VerificarAssinatura(const std::string& a, std::string& b,
                                                const std::string& c, const std::string& d,
                                                const std::string& e, const std::string& f,
                                                const std::string& g) {
  return TDFeSSLXmlSignClass::VerificarAssinatura(a, b, c, d, e, f, g);
}

}  // namespace luvaro
