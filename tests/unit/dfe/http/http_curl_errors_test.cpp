#include <gtest/gtest.h>

#include "dfe/ssl/http_curl_int.h"
#include "dfe/ssl/http_exception.h"

namespace luvaro {
namespace {

TEST(CurlFailureTable, EachCurlFailureHasTheWinHttpCodeOfTheSameMeaning) {
  struct Row {
    const char* name;
    CURLcode curl;
    int expected;
  };
  const Row rows[] = {
      {"time-out", CURLE_OPERATION_TIMEDOUT, 12002},
      {"name not resolved", CURLE_COULDNT_RESOLVE_HOST, 12007},
      {"proxy name not resolved", CURLE_COULDNT_RESOLVE_PROXY, 12007},
      {"connection refused", CURLE_COULDNT_CONNECT, 12029},
      {"reset while sending", CURLE_SEND_ERROR, 12030},
      {"reset while receiving", CURLE_RECV_ERROR, 12030},
      {"closed without reply", CURLE_GOT_NOTHING, 12031},
      {"closed in mid-reply", CURLE_PARTIAL_FILE, 12031},
      {"handshake failure", CURLE_SSL_CONNECT_ERROR, 12175},
      {"aborted", CURLE_ABORTED_BY_CALLBACK, 12017},
      {"bad URL", CURLE_URL_MALFORMAT, 12005},
      {"scheme other than http(s)", CURLE_UNSUPPORTED_PROTOCOL, 12006},
      {"not HTTP", CURLE_WEIRD_SERVER_REPLY, 12152},
      {"anything else", CURLE_FILESIZE_EXCEEDED, 12004},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(winHttpCodeFor(row.curl), row.expected);
  }
}

TEST(CurlFailureTable, TheHandshakeTellsKeyCertificateAndServerFailuresApart) {
  struct Row {
    const char* name;
    CURLcode curl;
    TlsHandshakeTrace trace;
    int expected;
  };
  // Fields: certificate installed, key missing, certificate requested, our signature sent,
  // fatal alert from the server.
  const Row rows[] = {
      {"token key failed to sign",
       CURLE_SSL_CONNECT_ERROR,
       {true, false, true, false, false},
       12186},
      {"certificate without key", CURLE_SSL_CONNECT_ERROR, {true, true, true, false, true}, 12185},
      {"no certificate, server asked", CURLE_RECV_ERROR, {false, false, true, false, true}, 12044},
      {"server refused our certificate", CURLE_RECV_ERROR, {true, false, true, true, true}, 12175},
      {"server alert, no certificate asked",
       CURLE_SSL_CONNECT_ERROR,
       {false, false, false, false, true},
       12175},
      {"broken after our signature", CURLE_RECV_ERROR, {true, false, true, true, false}, 12030},
      {"time-out during the handshake",
       CURLE_OPERATION_TIMEDOUT,
       {true, false, true, false, false},
       12002},
      {"refused before any handshake", CURLE_COULDNT_CONNECT, {}, 12029},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(winHttpCodeFor(row.curl, row.trace), row.expected);
  }
}

TEST(MensagemErroHttp, GivesTheProgramsTextElseCurlsElseTheCodeAlone) {
  struct Row {
    const char* name;
    int code;
    const char* detail;
    const char* expected;
  };
  const Row rows[] = {
      {"time-out", 12002, "Timeout was reached", "Erro: 12002 - TimeOut de Requisição"},
      {"not resolved", 12007, "", "Erro: 12007 - O nome do servidor não pode ser resolvido"},
      {"refused", 12029, "", "Erro: 12029 - Conexão com o Servidor falhou"},
      {"connection error", 12030, "",
       "Erro: 12030 - A conexão com o servidor foi redefinida ou encerrada, ou um protocolo SSL "
       "incompatível foi encontrado"},
      {"reset", 12031, "", "Erro: 12031 - A conexão com o servidor foi redefinida"},
      {"untrusted root", 12045, "",
       "Erro: 12045 - Certificado raiz não é confiável pelo provedor de confiança"},
      {"revocation offline", 12057, "",
       "Erro: 12057 - Revogação do Certificado não pode ser verificada porque o servidor de "
       "revogação está offline"},
      {"secure channel", 12157, "", "Erro: 12157 - Erro relacionado ao Canal Seguro"},
      {"secure failure", 12175, "",
       "Erro: 12175 - Um ou mais erros foram encontrados no certificado Secure Sockets Layer "
       "(SSL) enviado pelo servidor"},
      {"no private key", 12185, "",
       "Erro: 12185 - O contexto para o certificado de cliente SSL não tem uma chave privada "
       "associada a ele. O certificado de cliente pode ter sido importado para o computador sem a "
       "chave privada"},
      {"key not reachable", 12186, "",
       "Erro: 12186 - Falha ao obter a Chave Privada do Certificado para comunicação segura"},
      {"curl's words, trimmed", 12152, "  Unsupported HTTP version in response\n",
       "Erro: 12152 - Unsupported HTTP version in response"},
      {"no text at all", 12004, "", "Erro: 12004"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MensagemErroHttp(row.code, row.detail), row.expected);
  }
}

TEST(SslVersions, AllTakesWhatTheLibraryAllowsAndExplicitValuesPinOne) {
  struct Row {
    const char* name;
    TSSLType type;
    std::optional<long> expected;
  };
  const Row rows[] = {
      {"all", TSSLType::LT_all, CURL_SSLVERSION_DEFAULT},
      {"SSH v2 counts as all", TSSLType::LT_SSHv2, CURL_SSLVERSION_DEFAULT},
      {"TLS 1.0", TSSLType::LT_TLSv1, long{CURL_SSLVERSION_TLSv1_0} | CURL_SSLVERSION_MAX_TLSv1_0},
      {"TLS 1.1", TSSLType::LT_TLSv1_1,
       long{CURL_SSLVERSION_TLSv1_1} | CURL_SSLVERSION_MAX_TLSv1_1},
      {"TLS 1.2", TSSLType::LT_TLSv1_2,
       long{CURL_SSLVERSION_TLSv1_2} | CURL_SSLVERSION_MAX_TLSv1_2},
      {"SSL 2.0 is gone", TSSLType::LT_SSLv2, std::nullopt},
      {"SSL 3.0 is gone", TSSLType::LT_SSLv3, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(curlSslVersionFor(row.type), row.expected);
  }
}

TEST(TransportFailure, CarriesTheCodesAndReadsAsTheWorkersExpect) {
  const EDFeHttpException failure(
      12002, 0, "https://h/a.svc",
      "Falha Recebendo Dados. Erro:Erro: 12002 - TimeOut de Requisição");
  EXPECT_STREQ(failure.what(),
               "Erro Interno: 12002\r\nErro HTTP: 0\r\nURL: https://h/a.svc\r\n"
               "Falha Recebendo Dados. Erro:Erro: 12002 - TimeOut de Requisição");
  EXPECT_EQ(failure.InternalErrorCode(), 12002);
  EXPECT_EQ(failure.HTTPResultCode(), 0);
  EXPECT_EQ(failure.Url(), "https://h/a.svc");

  const EDFeHttpException status(0, 500, "https://h/a.svc", "");
  EXPECT_STREQ(status.what(), "Erro Interno: 0\r\nErro HTTP: 500\r\nURL: https://h/a.svc\r\n");
}

}  // namespace
}  // namespace luvaro
