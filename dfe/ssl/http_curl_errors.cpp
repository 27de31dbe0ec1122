// curl failures as the WinHTTP codes of the same meaning (their texts are in http_textos.cpp).
// The workers' failure reporting recognises time-outs, certificate and secure-channel failures
// by these codes, so every curl failure maps here and nowhere else.

#include <array>
#include <utility>

#include "dfe/ssl/http_curl_int.h"

namespace luvaro {

namespace {

struct CurlToWinHttp {
  CURLcode curl;
  int winHttp;
};

// clang-format off
constexpr std::array kCurlToWinHttp{
    CurlToWinHttp{CURLE_OPERATION_TIMEDOUT,     winhttp::kTimeout},
    CurlToWinHttp{CURLE_COULDNT_RESOLVE_HOST,   winhttp::kNameNotResolved},
    CurlToWinHttp{CURLE_COULDNT_RESOLVE_PROXY,  winhttp::kNameNotResolved},
    CurlToWinHttp{CURLE_COULDNT_CONNECT,        winhttp::kCannotConnect},
    CurlToWinHttp{CURLE_PROXY,                  winhttp::kCannotConnect},
    CurlToWinHttp{CURLE_SEND_ERROR,             winhttp::kConnectionError},
    CurlToWinHttp{CURLE_RECV_ERROR,             winhttp::kConnectionError},
    CurlToWinHttp{CURLE_GOT_NOTHING,            winhttp::kConnectionReset},
    CurlToWinHttp{CURLE_PARTIAL_FILE,           winhttp::kConnectionReset},
    CurlToWinHttp{CURLE_HTTP2,                  winhttp::kConnectionError},
    CurlToWinHttp{CURLE_HTTP2_STREAM,           winhttp::kConnectionError},
    CurlToWinHttp{CURLE_SSL_CONNECT_ERROR,      winhttp::kSecureFailure},
    CurlToWinHttp{CURLE_PEER_FAILED_VERIFICATION, winhttp::kSecureFailure},
    CurlToWinHttp{CURLE_SSL_CIPHER,             winhttp::kSecureFailure},
    CurlToWinHttp{CURLE_SSL_SHUTDOWN_FAILED,    winhttp::kSecureChannelError},
    CurlToWinHttp{CURLE_SSL_ENGINE_INITFAILED,  winhttp::kSecureChannelError},
    CurlToWinHttp{CURLE_SSL_CERTPROBLEM,        winhttp::kClientCertNoPrivateKey},
    CurlToWinHttp{CURLE_URL_MALFORMAT,          winhttp::kInvalidUrl},
    CurlToWinHttp{CURLE_UNSUPPORTED_PROTOCOL,   winhttp::kUnrecognizedScheme},
    CurlToWinHttp{CURLE_WEIRD_SERVER_REPLY,     winhttp::kInvalidServerResponse},
    CurlToWinHttp{CURLE_ABORTED_BY_CALLBACK,    winhttp::kOperationCancelled},
    CurlToWinHttp{CURLE_OUT_OF_MEMORY,          winhttp::kNotEnoughMemory},
    CurlToWinHttp{CURLE_BAD_FUNCTION_ARGUMENT,  winhttp::kInvalidParameter},
};
// clang-format on

}  // namespace

int winHttpCodeFor(CURLcode code) noexcept {
  for (const auto& row : kCurlToWinHttp) {
    if (row.curl == code) return row.winHttp;
  }
  return winhttp::kInternalError;
}

int winHttpCodeFor(CURLcode code, const TlsHandshakeTrace& trace) noexcept {
  if (code == CURLE_OK || code == CURLE_OPERATION_TIMEDOUT || code == CURLE_ABORTED_BY_CALLBACK) {
    return winHttpCodeFor(code);
  }
  if (trace.certificateRequested) {
    if (!trace.clientCertificate) return winhttp::kClientAuthCertNeeded;
    if (trace.clientKeyMissing) return winhttp::kClientCertNoPrivateKey;
    if (trace.serverAlert) return winhttp::kSecureFailure;
    if (!trace.certificateVerifySent) return winhttp::kClientCertNoAccessKey;
    return winHttpCodeFor(code);
  }
  if (trace.serverAlert) return winhttp::kSecureFailure;
  return winHttpCodeFor(code);
}

int winHttpCodeFor(ServerIdentityFault fault) noexcept {
  switch (fault) {
    case ServerIdentityFault::UntrustedAuthority:
      return winhttp::kInvalidCa;
    case ServerIdentityFault::Expired:
    case ServerIdentityFault::NotYetValid:
      return winhttp::kCertDateInvalid;
    case ServerIdentityFault::NameMismatch:
      return winhttp::kCertNameInvalid;
    case ServerIdentityFault::Revoked:
      return winhttp::kCertRevoked;
    case ServerIdentityFault::Invalid:
    case ServerIdentityFault::AnchorFile:
      break;
  }
  return winhttp::kInvalidCert;
}

std::optional<long> curlSslVersionFor(TSSLType type) noexcept {
  switch (type) {
    case TSSLType::LT_SSLv2:
    case TSSLType::LT_SSLv3:
      return std::nullopt;
    case TSSLType::LT_TLSv1:
      return long{CURL_SSLVERSION_TLSv1_0} | long{CURL_SSLVERSION_MAX_TLSv1_0};
    case TSSLType::LT_TLSv1_1:
      return long{CURL_SSLVERSION_TLSv1_1} | long{CURL_SSLVERSION_MAX_TLSv1_1};
    case TSSLType::LT_TLSv1_2:
      return long{CURL_SSLVERSION_TLSv1_2} | long{CURL_SSLVERSION_MAX_TLSv1_2};
    case TSSLType::LT_all:
    case TSSLType::LT_SSHv2:
      break;
  }
  // Every version the TLS library supports and its configuration allows.
  return CURL_SSLVERSION_DEFAULT;
}

}  // namespace luvaro
