#include "dfe/raii/curl_transfer.h"

#include <algorithm>
#include <string_view>

namespace luvaro {
namespace {

// Ends the transfer when no byte has moved for the read time-out. curl calls this often while
// data flows and about once a second while it waits.
int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto* transfer = static_cast<CurlTransfer*>(user);
  const auto now = std::chrono::steady_clock::now();
  if (downloaded != transfer->lastDown || uploaded != transfer->lastUp) {
    transfer->lastDown = downloaded;
    transfer->lastUp = uploaded;
    transfer->lastActivity = now;
    return 0;
  }
  if (now - transfer->lastActivity < transfer->readTimeout) return 0;
  transfer->timedOut = true;
  return 1;  // curl ends the transfer with CURLE_ABORTED_BY_CALLBACK
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 404 Not Found").
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<CurlTransfer*>(user);
  const std::string_view line(data, size * count);
  try {
    if (line.starts_with("HTTP/")) {
      std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
      rest.remove_prefix(std::min<size_t>(1, rest.size()));  // the blank before the code
      const size_t blank = rest.find(' ');
      std::string_view reason = blank == std::string_view::npos ? "" : rest.substr(blank + 1);
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.remove_suffix(1);
      transfer->reason.assign(reason);
      if (transfer->onStatusLine) transfer->onStatusLine();
    }
    return size * count;
  } catch (...) {
    transfer->failure = std::current_exception();
    return 0;
  }
}

}  // namespace

CurlEasyPtr NewCurlEasy() {
  CurlEasyPtr curl(curl_easy_init());
  if (!curl) throw EDFeException("curl_easy_init: não foi possível criar a requisição");
  return curl;
}

void PrepareCurlTransfer(CURL* h, CurlTransfer& transfer, std::chrono::milliseconds readTimeout,
                         const std::string& userAgent) {
  transfer.readTimeout = readTimeout;
  SetCurlOption(h, CURLOPT_ERRORBUFFER, transfer.errorText);
  SetCurlOption(h, CURLOPT_NOSIGNAL, 1L);
  SetCurlOption(h, CURLOPT_PROTOCOLS_STR, "http,https");
  SetCurlOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  SetCurlOption(h, CURLOPT_FOLLOWLOCATION, 1L);
  SetCurlOption(h, CURLOPT_MAXREDIRS, 10L);
  SetCurlOption(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  SetCurlOption(h, CURLOPT_USERAGENT, userAgent.c_str());  // curl keeps a copy
  SetCurlOption(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(readTimeout.count()));
  SetCurlOption(h, CURLOPT_NOPROGRESS, 0L);
  SetCurlOption(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  SetCurlOption(h, CURLOPT_XFERINFODATA, static_cast<void*>(&transfer));
  SetCurlOption(h, CURLOPT_HEADERFUNCTION, &OnHeader);
  SetCurlOption(h, CURLOPT_HEADERDATA, static_cast<void*>(&transfer));
}

void VerifyServerIdentity(CURL* h, CurlTransfer& transfer, const ServerIdentityCheck& check,
                          const std::string& url) {
  SetServerVerification(h, check.verificar);
  transfer.identityChecked = check.verificar;
  transfer.httpsOnly = curl_strnequal(url.c_str(), "https:", 6) != 0;
  if (transfer.httpsOnly) SetCurlOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  if (!check.verificar) {
    if (check.aviso && curl_strnequal(url.c_str(), "https:", 6)) {
      check.aviso(AvisoServidorNaoVerificado(HostOfUrl(url)));
    }
    return;
  }
  try {
    transfer.anchors = TrustAnchors::FromFolder(check.pastaCadeias);
  } catch (const EServerIdentity& failure) {
    throw EDFeException(MensagemIdentidadeServidor(HostOfUrl(url), failure.what()));
  }
  SetCurlOption(h, CURLOPT_SSL_CTX_FUNCTION, &AddTrustAnchorsToContext);
  SetCurlOption(h, CURLOPT_SSL_CTX_DATA, static_cast<void*>(&*transfer.anchors));
}

void PerformCurlTransfer(CURL* h, CurlTransfer& transfer) {
  const CURLcode code = curl_easy_perform(h);
  if (transfer.failure) std::rethrow_exception(transfer.failure);
  if (transfer.timedOut)
    throw EDFeException("Tempo limite de leitura esgotado: nenhum dado em " +
                        std::to_string(transfer.readTimeout.count()) + " ms.");
  if (transfer.httpsOnly && code == CURLE_UNSUPPORTED_PROTOCOL)
    throw EDFeException(
        "O servidor redirecionou para um endereço sem HTTPS, que não foi seguido (" +
        std::string(transfer.errorText[0] ? transfer.errorText : curl_easy_strerror(code)) + ").");
  if (transfer.identityChecked && code != CURLE_OK) {
    if (const auto identity = ServerIdentityFailureOf(h, code, transfer.errorText)) {
      // The address that failed: the last of a redirect chain.
      const char* last = nullptr;
      curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &last);
      throw EDFeException(
          MensagemIdentidadeServidor(HostOfUrl(last ? last : ""), identity->Motivo()));
    }
  }
  if (code != CURLE_OK)
    throw EDFeException(transfer.errorText[0] ? std::string(transfer.errorText)
                                              : curl_easy_strerror(code));
}

long CurlResponseCode(CURL* h) {
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

}  // namespace luvaro
