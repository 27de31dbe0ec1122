#pragma once

// Private to the HTTP back-end in dfe/ssl (and its tests): the table that turns
// curl failures into WinHTTP codes, the error texts, and the pieces of a request that can be
// built without a connection.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/raii/curl.h"
#include "dfe/server_identity.h"
#include "dfe/ssl/http_textos.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

// The WinHTTP codes that messages and the workers' failure patterns speak of.
namespace winhttp {
inline constexpr int kNotEnoughMemory = 8;             // ERROR_NOT_ENOUGH_MEMORY
inline constexpr int kInvalidParameter = 87;           // ERROR_INVALID_PARAMETER
inline constexpr int kTimeout = 12002;                 // ERROR_WINHTTP_TIMEOUT
inline constexpr int kInternalError = 12004;           // ERROR_WINHTTP_INTERNAL_ERROR
inline constexpr int kInvalidUrl = 12005;              // ERROR_WINHTTP_INVALID_URL
inline constexpr int kUnrecognizedScheme = 12006;      // ERROR_WINHTTP_UNRECOGNIZED_SCHEME
inline constexpr int kNameNotResolved = 12007;         // ERROR_WINHTTP_NAME_NOT_RESOLVED
inline constexpr int kOperationCancelled = 12017;      // ERROR_WINHTTP_OPERATION_CANCELLED
inline constexpr int kCertDateInvalid = 12037;         // ERROR_WINHTTP_SECURE_CERT_DATE_INVALID
inline constexpr int kCertNameInvalid = 12038;         // ERROR_WINHTTP_SECURE_CERT_CN_INVALID
inline constexpr int kInvalidCa = 12045;               // ERROR_WINHTTP_SECURE_INVALID_CA
inline constexpr int kInvalidCert = 12169;             // ERROR_WINHTTP_SECURE_INVALID_CERT
inline constexpr int kCertRevoked = 12170;             // ERROR_WINHTTP_SECURE_CERT_REVOKED
inline constexpr int kClientAuthCertNeeded = 12044;    // ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED
inline constexpr int kCannotConnect = 12029;           // ERROR_WINHTTP_CANNOT_CONNECT
inline constexpr int kConnectionError = 12030;         // ERROR_WINHTTP_CONNECTION_ERROR
inline constexpr int kConnectionReset = 12031;         // ERROR_INTERNET_CONNECTION_RESET
inline constexpr int kInvalidServerResponse = 12152;   // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
inline constexpr int kSecureChannelError = 12157;      // ERROR_WINHTTP_SECURE_CHANNEL_ERROR
inline constexpr int kSecureFailure = 12175;           // ERROR_WINHTTP_SECURE_FAILURE
inline constexpr int kClientCertNoPrivateKey = 12185;  // ..._CLIENT_CERT_NO_PRIVATE_KEY
inline constexpr int kClientCertNoAccessKey = 12186;   // ..._CLIENT_CERT_NO_ACCESS_PRIVATE_KEY
}  // namespace winhttp

// What the TLS handshake of a failed request showed. curl reports a failing client key, a
// server that refused us and a broken connection alike; these facts tell them apart.
struct TlsHandshakeTrace {
  bool clientCertificate = false;      // a client certificate was installed
  bool clientKeyMissing = false;       // ... without its private key
  bool certificateRequested = false;   // the server asked for our certificate
  bool certificateVerifySent = false;  // our key's signature went out
  bool serverAlert = false;            // the server sent a fatal alert
};

// The WinHTTP code of the same meaning as a curl failure: the one table.
int winHttpCodeFor(CURLcode code) noexcept;

// The same, refined by the handshake, once the server asked for our certificate: without a
// private key 12185; a fatal alert from the server 12175; a failure before our key's signature
// went out is the key's (12186); no certificate at all 12044.
int winHttpCodeFor(CURLcode code, const TlsHandshakeTrace& trace) noexcept;

// The WinHTTP code of the same meaning as a refused server identity. None of them is one the
// workers' failure reporting singles out: such a run ends as a generic failure, never as
// "service down" (12175) or as the user's certificate (12186).
int winHttpCodeFor(ServerIdentityFault fault) noexcept;

// curl's CURLOPT_SSLVERSION value for a protocol choice; nothing for the versions the TLS
// library no longer carries (SSL 2.0 and 3.0).
std::optional<long> curlSslVersionFor(TSSLType type) noexcept;

// The parts of a request URL the headers need.
struct UrlParts {
  std::string full;    // the URL as requested, "http://" put in front when it names no scheme
  std::string scheme;  // lower case; "http" when the URL names none
  std::string host;    // as written, an IPv6 address in brackets
  std::string port;    // explicit or the scheme's default
  std::string path;    // from the first "/" after the host, query included; "/" when empty
  bool https = false;
  bool defaultPort = true;  // the port is the scheme's default (80 for http, 443 for https)
};

// Splits a URL; nothing when curl cannot parse it.
std::optional<UrlParts> splitUrl(const std::string& url);

// The request's own header lines, in order and without line ends: Host (with the port when it
// is not the default), Content-Type with the charset, Accept-Charset, and SOAPAction in double
// quotes when the action is not empty.
std::vector<std::string> requestHeaderLines(const UrlParts& url, const std::string& mimeType,
                                            const std::string& charsets,
                                            const std::string& soapAction);

}  // namespace luvaro
