// Placeholder until the curl transport lands: answers as the base class.
#include "dfe/ssl/http_winhttp.h"

namespace luvaro {

struct TDFeHttpWinHttp::Impl {};

TDFeHttpWinHttp::TDFeHttpWinHttp(TDFeSSL& AOwner)
    : TDFeSSLHttpClass(AOwner), FImpl(std::make_unique<Impl>()) {}
TDFeHttpWinHttp::~TDFeHttpWinHttp() = default;
int TDFeHttpWinHttp::GetHTTPResultCode() { return 0; }
int TDFeHttpWinHttp::GetInternalErrorCode() { return 0; }
void TDFeHttpWinHttp::ConfigurarHTTP(const std::string& a, const std::string& b,
                                     const std::string& c) {
  TDFeSSLHttpClass::ConfigurarHTTP(a, b, c);
}
std::string TDFeHttpWinHttp::Enviar(const std::string& a, const std::string& b,
                                    const std::string& c, const std::string& d) {
  return TDFeSSLHttpClass::Enviar(a, b, c, d);
}
void TDFeHttpWinHttp::Abortar() {}

}  // namespace luvaro
