#pragma once

// One HTTP(S) exchange of the program's own clients (the ERP client, the update check and the
// installer download), on the platform's HTTP library: libcurl on Linux
// (dfe/raii/http_transfer_curl.cpp), WinHTTP on Windows
// (dfe/platform/windows/http_transfer_winhttp.cpp). The web-service calls keep their own
// transport (TDFeSSL).

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/server_identity.h"

namespace luvaro {

// The head of the last response of an exchange (after redirects).
struct HttpTransferHead {
  long status = 0;
  std::string reason;       // the reason phrase as the server wrote it
  std::string contentType;  // the Content-Type header, "" when absent
  std::int64_t announced = 0;  // the announced body size; 0 when not announced
  std::string method;       // the method of the last request ("GET" after a 303)
  std::string url;          // the address of the last request
};

struct HttpTransfer {
  std::string url;             // http or https
  const std::string* body = nullptr;  // set: a POST of these bytes; else a GET
  std::vector<std::string> headers;   // "Name: value" lines added to the request
  std::chrono::milliseconds readTimeout{0};  // the wait for the connection and each stretch
                                             // without a byte moving
  std::string userAgent;
  // How https servers are checked; null: the system's own checks. Given, an https exchange
  // follows redirects to https only, and with the check off the warning goes to its `aviso`.
  const ServerIdentityCheck* identity = nullptr;
  // Called once when the last response's body starts arriving (not for an empty body), with
  // its head; may throw to end the exchange.
  std::function<void(const HttpTransferHead&)> onResponse;
  // The last response's body, piece by piece; may throw to end the exchange.
  std::function<void(std::string_view)> onBody;
};

// Runs the exchange: redirects are followed (at most 10; a POST stays a POST with its body
// through 301, 302, 307 and 308, and becomes a GET without it through 303) and the last
// response's head is returned whatever its status. Throws EDFeException with the HTTP
// library's text, "Tempo limite de leitura esgotado: nenhum dado em <n> ms.", the identity
// message of a server the check refused ("Não foi possível confirmar a identidade do servidor
// <host>: <motivo>."), or a callback's own exception.
HttpTransferHead PerformHttpTransfer(const HttpTransfer& transfer);

// "404 - Not Found": the status and the reason phrase as the server wrote them.
inline std::string HttpStatusText(long status, const std::string& reason) {
  return std::to_string(status) + " - " + reason;
}

}  // namespace luvaro
