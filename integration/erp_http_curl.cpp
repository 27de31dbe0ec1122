#include "integration/erp_http.h"

#include <cctype>
#include <chrono>
#include <exception>
#include <string_view>

#include "dfe/raii/curl_transfer.h"

namespace luvaro {
namespace {

// What the ERP answered so far, and the transfer's shared state.
struct Exchange {
  CurlTransfer transfer;
  ErpHttpReply reply;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  try {
    exchange->reply.body.append(data, size * count);
    return size * count;
  } catch (...) {
    exchange->transfer.failure = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

ErpHttpReply Perform(const std::string& url, const std::string* contentType,
                     const std::string* body, std::chrono::milliseconds readTimeout) {
  CurlEasyPtr curl = NewCurlEasy();
  CURL* h = curl.get();
  Exchange exchange;
  // Only the last response's body is kept.
  exchange.transfer.onStatusLine = [&exchange] { exchange.reply.body.clear(); };

  CurlSlistPtr headers;
  AppendCurlHeader(headers, "Accept: application/json, */*");
  AppendCurlHeader(headers, "Expect:");  // send the body at once, without a 100-continue wait
  if (contentType) AppendCurlHeader(headers, ("Content-Type: " + *contentType).c_str());

  PrepareCurlTransfer(h, exchange.transfer, readTimeout, "Luvaro");
  SetCurlOption(h, CURLOPT_URL, url.c_str());
  SetCurlOption(h, CURLOPT_HTTPHEADER, headers.get());
  SetCurlOption(h, CURLOPT_WRITEFUNCTION, &OnBody);
  SetCurlOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&exchange));
  if (body) {
    SetCurlOption(h, CURLOPT_POST, 1L);
    SetCurlOption(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    SetCurlOption(h, CURLOPT_POSTFIELDS, body->data());
    // A 301 or 302 repeats the POST with its body at the new address (307 and 308 always do);
    // left alone, curl would turn it into a GET that drops the reply.
    SetCurlOption(h, CURLOPT_POSTREDIR,
                  static_cast<long>(CURL_REDIR_POST_301 | CURL_REDIR_POST_302));
  }

  PerformCurlTransfer(h, exchange.transfer);
  exchange.reply.status = CurlResponseCode(h);
  exchange.reply.reason = std::move(exchange.transfer.reason);
  const char* type = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    exchange.reply.contentType = type;
  if (body) {
    const char* method = nullptr;
    curl_easy_getinfo(h, CURLINFO_EFFECTIVE_METHOD, &method);
    if (!method || std::string_view(method) != "POST") {
      const char* last = nullptr;
      curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &last);
      throw EDFeException(std::string("O servidor redirecionou o envio para ") +
                          (last ? last : "outro endereço") + " sem o seu conteúdo (" +
                          (method ? method : "outro método") + " em vez de POST).");
    }
  }
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
