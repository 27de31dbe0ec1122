#include "integration/erp_http.h"

#include <cctype>
#include <chrono>
#include <string_view>

#include "dfe/dfe_exception.h"
#include "dfe/http_transfer.h"

namespace luvaro {
namespace {

ErpHttpReply Perform(const std::string& url, const std::string* contentType,
                     const std::string* body, std::chrono::milliseconds readTimeout) {
  ErpHttpReply reply;
  HttpTransfer transfer;
  transfer.url = url;
  transfer.body = body;
  transfer.headers.push_back("Accept: application/json, */*");
  if (contentType) transfer.headers.push_back("Content-Type: " + *contentType);
  transfer.readTimeout = readTimeout;
  transfer.userAgent = "Luvaro";
  transfer.onBody = [&reply](std::string_view data) { reply.body.append(data); };

  const HttpTransferHead head = PerformHttpTransfer(transfer);
  reply.status = head.status;
  reply.reason = head.reason;
  reply.contentType = head.contentType;
  if (body && head.method != "POST") {
    throw EDFeException("O servidor redirecionou o envio para " + head.url +
                        " sem o seu conteúdo (" + head.method + " em vez de POST).");
  }
  return reply;
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
