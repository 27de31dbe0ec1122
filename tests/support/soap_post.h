#pragma once

#include <string>
#include <string_view>

namespace luvaro::test {

struct SoapReply {
  int code = 0;       // curl's result (0: the exchange completed)
  std::string error;  // curl's text for a failed exchange
  long status = 0;    // HTTP status
  std::string body;
};

// One SOAP POST as the program makes it: text/xml, the action in quotes, a client certificate of
// the shared test token (none for an empty name), the server checked against the test CA.
SoapReply PostSoap(const std::string& url, std::string_view action, const std::string& body,
                   std::string_view certificate = "empresa");

}  // namespace luvaro::test
