#include "tests/support/soap_post.h"

#include <curl/curl.h>

#include <memory>

#include "tests/support/token.h"

namespace luvaro::test {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

using Curl = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

}  // namespace

SoapReply PostSoap(const std::string& url, std::string_view action, const std::string& body,
                   std::string_view certificate) {
  TestToken& token = TestToken::Shared();
  Curl curl(curl_easy_init(), &curl_easy_cleanup);
  const std::string actionHeader = "SOAPAction: \"" + std::string(action) + "\"";
  CurlList headers(curl_slist_append(nullptr, "Content-Type: text/xml; charset=utf-8"),
                   &curl_slist_free_all);
  curl_slist_append(headers.get(), actionHeader.c_str());
  SoapReply reply;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  if (!certificate.empty()) {
    const TokenCertificate& cert = token.Certificate(certificate);
    curl_easy_setopt(curl.get(), CURLOPT_SSLCERT, cert.pem.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_SSLKEY, cert.keyPem.c_str());
  }
  curl_easy_setopt(curl.get(), CURLOPT_CAINFO, token.CaPem().c_str());
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 60L);
  const CURLcode rc = curl_easy_perform(curl.get());
  reply.code = rc;
  if (rc != CURLE_OK) reply.error = curl_easy_strerror(rc);
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
  return reply;
}

}  // namespace luvaro::test
