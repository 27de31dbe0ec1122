// The one place that turns the back-end enumerations into objects.

#include "dfe/dfe_exception.h"
#include "dfe/ssl/http_winhttp.h"
#include "dfe/ssl/ssl_backends.h"
#include "dfe/ssl/xmlsign_libxml2.h"

namespace luvaro {

std::unique_ptr<TDFeSSLCryptClass> CriarCryptClass(TSSLCryptLib lib, TDFeSSL& owner) {
  switch (lib) {
    case TSSLCryptLib::cryWinCrypt:
      return CriarCryptClassPlataforma(owner);
    default:
      // The other libraries are not carried by this program; the base answers every call.
      return std::make_unique<TDFeSSLCryptClass>(owner);
  }
}

std::unique_ptr<TDFeSSLHttpClass> CriarHttpClass(TSSLHttpLib lib, TDFeSSL& owner) {
  switch (lib) {
    case TSSLHttpLib::httpWinHttp:
    case TSSLHttpLib::httpWinINet:
      return std::make_unique<TDFeHttpWinHttp>(owner);
    default:
      return std::make_unique<TDFeSSLHttpClass>(owner);
  }
}

std::unique_ptr<TDFeSSLXmlSignClass> CriarXmlSignClass(TSSLXmlSignLib lib, TDFeSSL& owner) {
  switch (lib) {
    case TSSLXmlSignLib::xsLibXml2:
      return std::make_unique<TDFeSSLXmlSignLibXml2>(owner);
    case TSSLXmlSignLib::xsXmlSec:
      throw EDFeException("Suporte a XmlSec desativado nesta versão do programa.");
    default:
      return std::make_unique<TDFeSSLXmlSignClass>(owner);
  }
}

}  // namespace luvaro
