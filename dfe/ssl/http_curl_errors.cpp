// curl failures as the WinHTTP codes of the same meaning, and their texts. The workers'
// failure reporting recognises time-outs, certificate and secure-channel failures by these
// codes, so every curl failure maps here and nowhere else.

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

struct WinHttpText {
  int code;
  const char* text;
};

// The texts the user reads for the codes that matter to the user.
constexpr std::array kWinHttpTexts{
    WinHttpText{12002, "TimeOut de Requisição"},
    WinHttpText{12007, "O nome do servidor não pode ser resolvido"},
    WinHttpText{12029, "Conexão com o Servidor falhou"},
    WinHttpText{12030,
                "A conexão com o servidor foi redefinida ou encerrada, ou um protocolo SSL "
                "incompatível foi encontrado"},
    WinHttpText{12031, "A conexão com o servidor foi redefinida"},
    WinHttpText{12045, "Certificado raiz não é confiável pelo provedor de confiança"},
    WinHttpText{12057,
                "Revogação do Certificado não pode ser verificada porque o servidor de revogação "
                "está offline"},
    WinHttpText{12157, "Erro relacionado ao Canal Seguro"},
    WinHttpText{12175,
                "Um ou mais erros foram encontrados no certificado Secure Sockets Layer (SSL) "
                "enviado pelo servidor"},
    WinHttpText{12185,
                "O contexto para o certificado de cliente SSL não tem uma chave privada associada "
                "a ele. O certificado de cliente pode ter sido importado para o computador sem a "
                "chave privada"},
    WinHttpText{12186, "Falha ao obter a Chave Privada do Certificado para comunicação segura"},
};

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

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

std::string MensagemErroHttp(int code, std::string_view detail) {
  std::string text = "Erro: " + std::to_string(code);
  std::string_view meaning;
  for (const auto& row : kWinHttpTexts) {
    if (row.code == code) meaning = row.text;
  }
  if (meaning.empty()) meaning = trimmed(detail);
  if (!meaning.empty()) {
    text += " - ";
    text += meaning;
  }
  return text;
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
