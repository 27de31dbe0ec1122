#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace luvaro {

// What the ERP answered: the last response's status line and body (after redirects).
struct ErpHttpReply {
  long status = 0;
  std::string reason;  // the reason phrase as the server wrote it
  std::string body;
};

// One request on a fresh connection. Redirects are followed; `readTimeout` bounds the wait for
// the connection and every stretch without data. A transport failure throws EDFeException
// with the HTTP client's own text; any status is returned, not judged.
ErpHttpReply ErpGet(const std::string& url, std::chrono::milliseconds readTimeout);
ErpHttpReply ErpPost(const std::string& url, const std::string& contentType,
                     const std::string& body, std::chrono::milliseconds readTimeout);

// A value to append to a query string as it is, except the bytes that cannot stand in a URL
// query (blanks, control characters, non-ASCII bytes, '"', '#', '<', '>', '[', ']', '\\', '^',
// '`', '{', '|', '}', and a '%' not followed by two hex digits), which are percent-encoded.
std::string EncodeQueryValue(std::string_view value);

}  // namespace luvaro
