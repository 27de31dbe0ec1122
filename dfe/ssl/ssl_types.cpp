#include "dfe/ssl/ssl_types.h"

namespace luvaro {

const char* NomeDgst(TSSLDgst value) noexcept {
  switch (value) {
    case TSSLDgst::dgstMD2:
      return "dgstMD2";
    case TSSLDgst::dgstMD4:
      return "dgstMD4";
    case TSSLDgst::dgstMD5:
      return "dgstMD5";
    case TSSLDgst::dgstRMD160:
      return "dgstRMD160";
    case TSSLDgst::dgstSHA:
      return "dgstSHA";
    case TSSLDgst::dgstSHA1:
      return "dgstSHA1";
    case TSSLDgst::dgstSHA256:
      return "dgstSHA256";
    case TSSLDgst::dgstSHA512:
      return "dgstSHA512";
  }
  return "";
}

}  // namespace luvaro
