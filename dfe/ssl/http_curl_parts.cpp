// The parts of a request that need no connection: URL split and header lines.

#include "dfe/ssl/http_curl_int.h"
#include "dfe/xml/texto.h"

namespace luvaro {

namespace {

std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* raw = nullptr;
  if (curl_url_get(url, part, &raw, flags) != CURLUE_OK) return {};
  const CurlCharsPtr owner(raw);
  return raw != nullptr ? std::string(raw) : std::string();
}

}  // namespace

std::optional<UrlParts> splitUrl(const std::string& url) {
  UrlParts parts;
  // A URL without a scheme is http.
  parts.full = url.find("://") == std::string::npos ? "http://" + url : url;
  const CurlUrlPtr handle(curl_url());
  if (!handle) return std::nullopt;
  if (curl_url_set(handle.get(), CURLUPART_URL, parts.full.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
      CURLUE_OK) {
    return std::nullopt;
  }
  parts.scheme = lowerAscii(urlPart(handle.get(), CURLUPART_SCHEME));
  parts.host = urlPart(handle.get(), CURLUPART_HOST);
  parts.https = parts.scheme == "https";
  const std::string defaultPort = parts.https ? "443" : "80";
  parts.port = urlPart(handle.get(), CURLUPART_PORT);
  if (parts.port.empty()) parts.port = defaultPort;
  parts.defaultPort = parts.port == defaultPort;
  parts.path = urlPart(handle.get(), CURLUPART_PATH);
  const std::string query = urlPart(handle.get(), CURLUPART_QUERY);
  if (!query.empty()) parts.path += "?" + query;
  if (parts.path.empty()) parts.path = "/";
  return parts;
}

std::vector<std::string> requestHeaderLines(const UrlParts& url, const std::string& mimeType,
                                            const std::string& charsets,
                                            const std::string& soapAction) {
  std::vector<std::string> lines;
  lines.push_back("Host: " + url.host + (url.defaultPort ? "" : ":" + url.port));
  // A MIME type that already names its charset (the facade's default does) keeps it, so the
  // header never carries two.
  if (lowerAscii(mimeType).find("charset=") != std::string::npos) {
    lines.push_back("Content-Type: " + mimeType);
  } else {
    lines.push_back("Content-Type: " + mimeType + "; charset=" + charsets);
  }
  lines.push_back("Accept-Charset: " + charsets);
  if (!soapAction.empty()) lines.push_back("SOAPAction: \"" + soapAction + "\"");
  return lines;
}

}  // namespace luvaro
