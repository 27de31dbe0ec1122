// The program's own HTTP(S) exchanges on libcurl (dfe/http_transfer.h).

#include "dfe/http_transfer.h"

#include <exception>

#include "dfe/raii/curl_transfer.h"

namespace luvaro {
namespace {

// One exchange while curl runs it.
struct Exchange {
  Exchange(const HttpTransfer& pRequest, CURL* pCurl) : request(pRequest), curl(pCurl) {}

  const HttpTransfer& request;
  CURL* curl;
  CurlTransfer transfer;
  bool bodyStarted = false;

  size_t OnBody(const char* data, size_t size) {
    // The body of a redirect that curl follows is not the answer.
    const long status = CurlResponseCode(curl);
    if (status >= 300 && status < 400) {
      const char* next = nullptr;
      if (curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &next) == CURLE_OK && next) return size;
    }
    if (!bodyStarted) {
      bodyStarted = true;
      if (request.onResponse) request.onResponse(Head());
    }
    if (request.onBody) request.onBody(std::string_view(data, size));
    return size;
  }

  HttpTransferHead Head() const {
    HttpTransferHead head;
    head.status = CurlResponseCode(curl);
    head.reason = transfer.reason;
    const char* text = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &text) == CURLE_OK && text)
      head.contentType = text;
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    head.announced = length > 0 ? length : 0;
    text = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_METHOD, &text);
    head.method = text ? text : (request.body ? "POST" : "GET");
    text = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &text);
    head.url = text ? text : request.url;
    return head;
  }
};

size_t OnWrite(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  try {
    return exchange->OnBody(data, size * count);
  } catch (...) {
    exchange->transfer.failure = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

}  // namespace

HttpTransferHead PerformHttpTransfer(const HttpTransfer& request) {
  CurlEasyPtr curl = NewCurlEasy();
  CURL* h = curl.get();
  Exchange exchange(request, h);
  exchange.transfer.onStatusLine = [&exchange] { exchange.bodyStarted = false; };

  CurlSlistPtr headers;
  for (const std::string& line : request.headers) AppendCurlHeader(headers, line.c_str());
  AppendCurlHeader(headers, "Expect:");  // send the body at once, without a 100-continue wait

  PrepareCurlTransfer(h, exchange.transfer, request.readTimeout, request.userAgent);
  SetCurlOption(h, CURLOPT_URL, request.url.c_str());
  if (request.identity) VerifyServerIdentity(h, exchange.transfer, *request.identity, request.url);
  SetCurlOption(h, CURLOPT_HTTPHEADER, headers.get());
  SetCurlOption(h, CURLOPT_WRITEFUNCTION, &OnWrite);
  SetCurlOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&exchange));
  if (request.body) {
    SetCurlOption(h, CURLOPT_POST, 1L);
    SetCurlOption(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
    SetCurlOption(h, CURLOPT_POSTFIELDS, request.body->data());
    // A 301 or 302 repeats the POST with its body at the new address (307 and 308 always do);
    // left alone, curl would turn it into a GET without it.
    SetCurlOption(h, CURLOPT_POSTREDIR,
                  static_cast<long>(CURL_REDIR_POST_301 | CURL_REDIR_POST_302));
  } else {
    SetCurlOption(h, CURLOPT_HTTPGET, 1L);
  }
  PerformCurlTransfer(h, exchange.transfer);
  return exchange.Head();
}

}  // namespace luvaro
