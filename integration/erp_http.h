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
  std::string contentType;  // the Content-Type header, "" when absent
};

// One request on a fresh connection. Redirects are followed; `readTimeout` bounds the wait for
// the connection and every stretch without data. A transport failure throws EDFeException
// with the HTTP client's own text; any status is returned, not judged.
//
// A POST stays a POST with its body through the redirects that keep it (301, 302, 307, 308);
// a redirect that turns it into another request without the body (303) throws EDFeException,
// since whatever the ERP answers there was not an answer to what was posted.
ErpHttpReply ErpGet(const std::string& url, std::chrono::milliseconds readTimeout);
ErpHttpReply ErpPost(const std::string& url, const std::string& contentType,
                     const std::string& body, std::chrono::milliseconds readTimeout);

// The body as UTF-8 text, decoded by the charset its Content-Type names: UTF-8 when none is
// named (checked), ISO-8859-1, Latin-1, US-ASCII and windows-1252 converted (all read as
// windows-1252, as browsers read them). Another charset, or a body that is not what its
// charset says, throws EDFeException with a Portuguese text.
std::string ErpBodyAsUtf8(std::string_view body, std::string_view contentType);

// A value to append to a query string as it is, except the bytes that cannot stand in a URL
// query (blanks, control characters, non-ASCII bytes, '"', '#', '<', '>', '[', ']', '\\', '^',
// '`', '{', '|', '}', and a '%' not followed by two hex digits), which are percent-encoded.
std::string EncodeQueryValue(std::string_view value);

}  // namespace luvaro
