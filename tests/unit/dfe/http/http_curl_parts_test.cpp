#include <gtest/gtest.h>

#include "dfe/ssl/http_curl_int.h"

namespace luvaro {
namespace {

TEST(RequestUrl, SplitsSchemeHostPortAndPath) {
  struct Row {
    const char* url;
    const char* scheme;
    const char* host;
    const char* port;
    const char* path;
    bool defaultPort;
  };
  const Row rows[] = {
      {"https://H/a/b.svc", "https", "H", "443", "/a/b.svc", true},
      {"https://H:8443/a/b.svc", "https", "H", "8443", "/a/b.svc", false},
      {"HTTPS://h.gov.br:443/x", "https", "h.gov.br", "443", "/x", true},
      {"https://h:80/x", "https", "h", "80", "/x", false},
      {"http://h/x?wsdl&a=1", "http", "h", "80", "/x?wsdl&a=1", true},
      {"h.gov.br/servico", "http", "h.gov.br", "80", "/servico", true},
      {"https://h", "https", "h", "443", "/", true},
      {"https://[::1]:8443/x", "https", "[::1]", "8443", "/x", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    const auto parts = splitUrl(row.url);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->scheme, row.scheme);
    EXPECT_EQ(parts->host, row.host);
    EXPECT_EQ(parts->port, row.port);
    EXPECT_EQ(parts->path, row.path);
    EXPECT_EQ(parts->defaultPort, row.defaultPort);
    EXPECT_EQ(parts->https, std::string(row.scheme) == "https");
  }
  EXPECT_FALSE(splitUrl("https://").has_value());
}

TEST(RequestHeaders, AreTheLinesTheServicesExpect) {
  struct Row {
    const char* name;
    const char* url;
    const char* mime;
    const char* soapAction;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"default port, no action",
       "https://webservices.gov.br/servicos/envio.svc",
       "application/soap+xml",
       "",
       {"Host: webservices.gov.br", "Content-Type: application/soap+xml; charset=utf-8",
        "Accept-Charset: utf-8"}},
      {"other port, action in quotes",
       "https://h:8443/a",
       "text/xml",
       "http://www.esocial.gov.br/servicos/EnviarLoteEventos",
       {"Host: h:8443", "Content-Type: text/xml; charset=utf-8", "Accept-Charset: utf-8",
        "SOAPAction: \"http://www.esocial.gov.br/servicos/EnviarLoteEventos\""}},
      {"a MIME type with its charset keeps it",
       "http://h:80/a",
       "application/soap+xml; charset=utf-8",
       "A",
       {"Host: h", "Content-Type: application/soap+xml; charset=utf-8", "Accept-Charset: utf-8",
        "SOAPAction: \"A\""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto url = splitUrl(row.url);
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(requestHeaderLines(*url, row.mime, "utf-8", row.soapAction), row.expected);
  }
}

}  // namespace
}  // namespace luvaro
