#include "integration/erp_http.h"

#include <cctype>
#include <chrono>
#include <exception>

#include "dfe/dfe_exception.h"
#include "dfe/raii/curl.h"

namespace luvaro {
namespace {

// What the callbacks collect; an exception inside one is kept here and rethrown after curl
// has returned, since none may cross curl's C frames.
struct Exchange {
  ErpHttpReply reply;
  std::exception_ptr failure;
  // The read time-out: the longest stretch allowed without a byte moving either way.
  std::chrono::milliseconds readTimeout{0};
  std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
  curl_off_t lastDown = 0;
  curl_off_t lastUp = 0;
  bool timedOut = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  try {
    exchange->reply.body.append(data, size * count);
    return size * count;
  } catch (...) {
    exchange->failure = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

// Ends the transfer when no byte has moved for the read time-out. curl calls this often while
// data flows and about once a second while it waits.
int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto* exchange = static_cast<Exchange*>(user);
  const auto now = std::chrono::steady_clock::now();
  if (downloaded != exchange->lastDown || uploaded != exchange->lastUp) {
    exchange->lastDown = downloaded;
    exchange->lastUp = uploaded;
    exchange->lastActivity = now;
    return 0;
  }
  if (now - exchange->lastActivity < exchange->readTimeout) return 0;
  exchange->timedOut = true;
  return 1;  // curl ends the transfer with CURLE_ABORTED_BY_CALLBACK
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 404 Not Found"); each response
// of a redirect chain or an interim 100 starts anew, so only the last one's body is kept.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  const std::string_view line(data, size * count);
  try {
    if (line.starts_with("HTTP/")) {
      std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
      rest.remove_prefix(std::min<size_t>(1, rest.size()));  // the blank before the code
      const size_t blank = rest.find(' ');
      std::string_view reason = blank == std::string_view::npos ? "" : rest.substr(blank + 1);
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.remove_suffix(1);
      exchange->reply.reason.assign(reason);
      exchange->reply.body.clear();
    }
    return size * count;
  } catch (...) {
    exchange->failure = std::current_exception();
    return 0;
  }
}

template <typename T>
void SetOption(CURL* curl, CURLoption option, T value) {
  if (const CURLcode code = curl_easy_setopt(curl, option, value); code != CURLE_OK)
    throw EDFeException(std::string("curl_easy_setopt: ") + curl_easy_strerror(code));
}

ErpHttpReply Perform(const std::string& url, const std::string* contentType,
                     const std::string* body, std::chrono::milliseconds readTimeout) {
  CurlEasyPtr curl(curl_easy_init());
  if (!curl) throw EDFeException("curl_easy_init: não foi possível criar a requisição");
  Exchange exchange;
  char errorText[CURL_ERROR_SIZE] = {};

  CurlSlistPtr headers;
  AppendCurlHeader(headers, "Accept: application/json, */*");
  AppendCurlHeader(headers, "Expect:");  // send the body at once, without a 100-continue wait
  if (contentType) AppendCurlHeader(headers, ("Content-Type: " + *contentType).c_str());

  exchange.readTimeout = readTimeout;

  CURL* h = curl.get();
  SetOption(h, CURLOPT_URL, url.c_str());
  SetOption(h, CURLOPT_ERRORBUFFER, errorText);
  SetOption(h, CURLOPT_NOSIGNAL, 1L);
  SetOption(h, CURLOPT_PROTOCOLS_STR, "http,https");
  SetOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  SetOption(h, CURLOPT_FOLLOWLOCATION, 1L);
  SetOption(h, CURLOPT_MAXREDIRS, 10L);
  // HTTP/1.1 keeps the reason phrase that failures report.
  SetOption(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  SetOption(h, CURLOPT_USERAGENT, "Luvaro");
  SetOption(h, CURLOPT_HTTPHEADER, headers.get());
  SetOption(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(readTimeout.count()));
  SetOption(h, CURLOPT_NOPROGRESS, 0L);
  SetOption(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  SetOption(h, CURLOPT_XFERINFODATA, static_cast<void*>(&exchange));
  SetOption(h, CURLOPT_WRITEFUNCTION, &OnBody);
  SetOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&exchange));
  SetOption(h, CURLOPT_HEADERFUNCTION, &OnHeader);
  SetOption(h, CURLOPT_HEADERDATA, static_cast<void*>(&exchange));
  if (body) {
    SetOption(h, CURLOPT_POST, 1L);
    SetOption(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    SetOption(h, CURLOPT_POSTFIELDS, body->data());
  }

  const CURLcode code = curl_easy_perform(h);
  if (exchange.failure) std::rethrow_exception(exchange.failure);
  if (exchange.timedOut)
    throw EDFeException("Tempo limite de leitura esgotado: nenhum dado em " +
                        std::to_string(readTimeout.count()) + " ms.");
  if (code != CURLE_OK)
    throw EDFeException(errorText[0] ? std::string(errorText) : curl_easy_strerror(code));
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &exchange.reply.status);
  return std::move(exchange.reply);
}

bool IsHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

ErpHttpReply ErpGet(const std::string& url, std::chrono::milliseconds readTimeout) {
  return Perform(url, nullptr, nullptr, readTimeout);
}

ErpHttpReply ErpPost(const std::string& url, const std::string& contentType,
                     const std::string& body, std::chrono::milliseconds readTimeout) {
  return Perform(url, &contentType, &body, readTimeout);
}

std::string EncodeQueryValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kNotInQuery = "\"#<>[]\\^`{|}";
  std::string encoded;
  for (size_t i = 0; i < value.size(); ++i) {
    const auto byte = static_cast<unsigned char>(value[i]);
    const bool loosePercent = byte == '%' && !(i + 2 < value.size() && IsHexDigit(value[i + 1]) &&
                                               IsHexDigit(value[i + 2]));
    if (byte <= 0x20 || byte >= 0x7F ||
        kNotInQuery.find(static_cast<char>(byte)) != std::string_view::npos || loosePercent) {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    } else {
      encoded += static_cast<char>(byte);
    }
  }
  return encoded;
}

}  // namespace luvaro
