#pragma once

// One HTTP(S) transfer on a curl easy handle with what the ERP client and the update check
// both need: http and https only, redirects followed, HTTP/1.1 (its reason phrase goes into
// messages), a read time-out watched by the progress callback, the reason phrase of the last
// status line, and callback failures rethrown after curl has returned. Included only by
// back-end .cpp files, like curl.h.

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include <curl/curl.h>

#include "dfe/dfe_exception.h"
#include "dfe/http_transfer.h"
#include "dfe/raii/curl.h"
#include "dfe/raii/curl_server_identity.h"
#include "dfe/server_identity.h"

namespace luvaro {

// The state of one transfer that every callback shares. An exception inside a callback is
// kept in `failure` and rethrown once curl has returned, since none may cross curl's C frames;
// write callbacks of the callers store theirs here too.
struct CurlTransfer {
  std::exception_ptr failure;
  // The read time-out: the longest stretch allowed without a byte moving either way.
  std::chrono::milliseconds readTimeout{0};
  std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
  curl_off_t lastDown = 0;
  curl_off_t lastUp = 0;
  bool timedOut = false;
  std::string reason;  // the reason phrase of the last status line, as the server wrote it
  // Called at every new status line: each response of a redirect chain or an interim 100
  // starts anew.
  std::function<void()> onStatusLine;
  char errorText[CURL_ERROR_SIZE] = {};
  // Set by VerifyServerIdentity: the authorities added to each TLS context of the transfer, and
  // whether a refused server is reported as such.
  std::optional<TrustAnchors> anchors;
  bool identityChecked = false;
  bool httpsOnly = false;  // an https transfer follows no redirect to plain http
};

template <typename T>
void SetCurlOption(CURL* curl, CURLoption option, T value) {
  if (const CURLcode code = curl_easy_setopt(curl, option, value); code != CURLE_OK)
    throw EDFeException(std::string("curl_easy_setopt: ") + curl_easy_strerror(code));
}

// A fresh easy handle.
CurlEasyPtr NewCurlEasy();

// Sets the shared options and the callbacks that watch the read time-out and keep the reason
// phrase. The caller adds the URL, the method, its headers and its write callback.
// `transfer` must outlive PerformCurlTransfer.
void PrepareCurlTransfer(CURL* curl, CurlTransfer& transfer, std::chrono::milliseconds readTimeout,
                         const std::string& userAgent);

// Verifies the servers of an https transfer as `check` says (chain and host name against the
// system's roots plus the authorities of check.pastaCadeias), before any request byte leaves;
// with the check off, hands check.aviso the warning for an https `url`. Either way a transfer
// that starts on https follows redirects to https only. Throws EDFeException with the identity
// message when the authorities cannot be read.
void VerifyServerIdentity(CURL* curl, CurlTransfer& transfer, const ServerIdentityCheck& check,
                          const std::string& url);

// Runs the transfer; rethrows a callback's failure, or throws EDFeException with the time-out
// text, the identity message of a server the check refused ("Não foi possível confirmar a
// identidade do servidor <host>: <motivo>."), or curl's own text.
void PerformCurlTransfer(CURL* curl, CurlTransfer& transfer);

// The status code of the last reply.
long CurlResponseCode(CURL* curl);

}  // namespace luvaro
