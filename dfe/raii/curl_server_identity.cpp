#include "dfe/raii/curl_server_identity.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

#include "dfe/raii/curl.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

bool IsPemFile(const fs::directory_entry& entry) {
  std::error_code error;
  if (!entry.is_regular_file(error)) return false;
  std::string extension = entry.path().extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".pem";
}

[[noreturn]] void FailAnchor(const fs::path& file, const std::string& detail) {
  throw EServerIdentity({ServerIdentityFault::AnchorFile, file.string() + ": " + detail});
}

// Every certificate of one PEM file, in order.
void ReadPemFile(const fs::path& file, std::vector<X509Ptr>& into) {
  ERR_clear_error();
  const BioPtr bio(BIO_new_file(file.c_str(), "r"));
  if (!bio) FailAnchor(file, "o arquivo não pode ser aberto (" + OpenSslErrors() + ")");
  size_t found = 0;
  while (X509Ptr certificate{PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)}) {
    into.push_back(std::move(certificate));
    ++found;
  }
  // The read that ends the loop reports "no start line" at the end of the file.
  const unsigned long last = ERR_peek_last_error();
  if (found > 0 && ERR_GET_LIB(last) == ERR_LIB_PEM &&
      ERR_GET_REASON(last) == PEM_R_NO_START_LINE) {
    ERR_clear_error();
    return;
  }
  const std::string errors = OpenSslErrors();
  if (found == 0) FailAnchor(file, "nenhum certificado PEM legível (" + errors + ")");
  FailAnchor(file,
             "certificado PEM ilegível após o " + std::to_string(found) + "º (" + errors + ")");
}

struct VerifyFault {
  long result;
  ServerIdentityFault fault;
};

// clang-format off
constexpr std::array kVerifyFaults{
    VerifyFault{X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT,         ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY, ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE,   ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT,       ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN,         ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_CERT_UNTRUSTED,                    ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_CERT_REJECTED,                     ServerIdentityFault::UntrustedAuthority},
    VerifyFault{X509_V_ERR_CERT_HAS_EXPIRED,                  ServerIdentityFault::Expired},
    VerifyFault{X509_V_ERR_CERT_NOT_YET_VALID,                ServerIdentityFault::NotYetValid},
    VerifyFault{X509_V_ERR_HOSTNAME_MISMATCH,                 ServerIdentityFault::NameMismatch},
    VerifyFault{X509_V_ERR_IP_ADDRESS_MISMATCH,               ServerIdentityFault::NameMismatch},
    VerifyFault{X509_V_ERR_CERT_REVOKED,                      ServerIdentityFault::Revoked},
};
// clang-format on

}  // namespace

TrustAnchors TrustAnchors::FromFolder(const fs::path& folder) {
  TrustAnchors anchors;
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (folder.empty() || status.type() == fs::file_type::not_found) return anchors;
  if (error) FailAnchor(folder, error.message());
  if (!fs::is_directory(status)) FailAnchor(folder, "não é uma pasta");
  std::vector<fs::path> files;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (IsPemFile(*it)) files.push_back(it->path());
  }
  if (error) FailAnchor(folder, "a pasta não pode ser lida (" + error.message() + ")");
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) ReadPemFile(file, anchors.m_certificates);
  return anchors;
}

bool TrustAnchors::AddTo(void* sslContext, std::string& error) const {
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  ERR_clear_error();
  for (const X509Ptr& certificate : m_certificates) {
    if (store == nullptr || X509_STORE_add_cert(store, certificate.get()) != 1) {
      error = "X509_STORE_add_cert: " + OpenSslErrors();
      return false;
    }
  }
  return true;
}

bool RequireHost(void* sslContext, const std::string& host, std::string& error) {
  X509_VERIFY_PARAM* param = SSL_CTX_get0_param(static_cast<SSL_CTX*>(sslContext));
  std::string name = host;
  if (name.size() > 2 && name.front() == '[' && name.back() == ']')
    name = name.substr(1, name.size() - 2);
  ERR_clear_error();
  if (param != nullptr && X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) == 1) return true;
  ERR_clear_error();  // not an IP address: a host name
  if (param != nullptr) {
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (X509_VERIFY_PARAM_set1_host(param, name.data(), name.size()) == 1) return true;
  }
  error = "X509_VERIFY_PARAM_set1_host(" + name + "): " + OpenSslErrors();
  return false;
}

void SetServerVerification(CURL* h, bool verificar) {
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, verificar ? 1L : 0L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, verificar ? 2L : 0L);
  curl_easy_setopt(h, CURLOPT_CA_CACHE_TIMEOUT, 0L);
  // Where curl knows the system's authorities both as one bundle and as a folder hashed by
  // subject (Debian's does, both made from the same list), the folder alone: OpenSSL then reads
  // only the authority a chain asks for, instead of parsing the whole bundle (some 150
  // certificates, a third of a one-event run's processor time) on every handshake.
  char* folder = nullptr;
  if (verificar && curl_easy_getinfo(h, CURLINFO_CAPATH, &folder) == CURLE_OK &&
      folder != nullptr && *folder != '\0')
    curl_easy_setopt(h, CURLOPT_CAINFO, nullptr);
}

CURLcode AddTrustAnchorsToContext(CURL* h, void* sslContext, void* anchors) noexcept {
  try {
    std::string error;
    if (anchors != nullptr && !static_cast<const TrustAnchors*>(anchors)->AddTo(sslContext, error))
      return CURLE_SSL_CACERT_BADFILE;
    const char* url = nullptr;
    curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &url);
    if (url != nullptr && !RequireHost(sslContext, HostOfUrl(url), error))
      return CURLE_SSL_CACERT_BADFILE;
    return CURLE_OK;
  } catch (...) {
    return CURLE_OUT_OF_MEMORY;  // the only failure of the texts above
  }
}

ServerIdentityFault FaultOfVerifyResult(long verifyResult) noexcept {
  for (const auto& row : kVerifyFaults) {
    if (row.result == verifyResult) return row.fault;
  }
  return ServerIdentityFault::Invalid;
}

std::optional<ServerIdentityFailure> ServerIdentityFailureOf(CURL* h, CURLcode result,
                                                             const char* errorText) {
  const std::string curlText =
      errorText != nullptr && *errorText != '\0' ? errorText : curl_easy_strerror(result);
  if (result == CURLE_SSL_CACERT_BADFILE) {
    return ServerIdentityFailure{ServerIdentityFault::AnchorFile, curlText};
  }
  if (result != CURLE_PEER_FAILED_VERIFICATION) return std::nullopt;
  long verifyResult = X509_V_OK;
  curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
  // A chain that verified but was refused all the same failed curl's own host-name check,
  // which leaves the result unset (X509_V_OK) or at its initial "unspecified".
  if (verifyResult == X509_V_OK || verifyResult == X509_V_ERR_UNSPECIFIED)
    return ServerIdentityFailure{ServerIdentityFault::NameMismatch, {}};
  const ServerIdentityFault fault = FaultOfVerifyResult(verifyResult);
  return ServerIdentityFailure{fault, fault == ServerIdentityFault::Invalid
                                          ? X509_verify_cert_error_string(verifyResult)
                                          : std::string()};
}

std::string HostOfUrl(const std::string& url) {
  CurlUrlPtr parsed(curl_url());
  char* host = nullptr;
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_GUESS_SCHEME) != 0 ||
      curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != 0) {
    return url;
  }
  const CurlCharsPtr owner(host);
  return host;
}

}  // namespace luvaro
