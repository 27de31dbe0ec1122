#pragma once

// The server's identity on curl with OpenSSL: the authorities of the `cadeias/` folder added to
// each TLS context, curl's checks switched on or off, and the fault of a transfer that the check
// refused. Included only by back-end .cpp files, like curl.h.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "dfe/dfe_exception.h"
#include "dfe/raii/openssl.h"
#include "dfe/server_identity.h"

namespace luvaro {

// What the check refused, and the library's words or the file's name.
struct ServerIdentityFailure {
  ServerIdentityFault fault = ServerIdentityFault::Invalid;
  std::string detail;

  // The reason in the user's words (MotivoIdentidadeServidor).
  std::string Motivo() const { return MotivoIdentidadeServidor(fault, detail); }
};

// The authorities could not be read: what() is the reason in the user's words.
class EServerIdentity : public EDFeException {
 public:
  explicit EServerIdentity(ServerIdentityFailure failure)
      : EDFeException(failure.Motivo()), m_failure(std::move(failure)) {}
  const ServerIdentityFailure& Failure() const noexcept { return m_failure; }

 private:
  ServerIdentityFailure m_failure;
};

// The authorities of one `cadeias/` folder: every certificate of every file named "*.pem" (any
// letter case) in it, read once. Other files are left alone, so a README may stand there.
class TrustAnchors {
 public:
  TrustAnchors() = default;  // none: the system's roots only
  TrustAnchors(TrustAnchors&&) = default;
  TrustAnchors& operator=(TrustAnchors&&) = default;
  TrustAnchors(const TrustAnchors&) = delete;  // owns its certificates
  TrustAnchors& operator=(const TrustAnchors&) = delete;

  // Reads the folder; a folder that does not exist holds none. A PEM file that cannot be read,
  // or holds no certificate, throws EServerIdentity (AnchorFile) naming it: an installation
  // never runs with fewer authorities than its folder shows.
  static TrustAnchors FromFolder(const std::filesystem::path& folder);

  // Adds the authorities to the certificate store of a TLS context (an SSL_CTX). False with
  // OpenSSL's words in `error` when the store refuses one.
  bool AddTo(void* sslContext, std::string& error) const;

  size_t Count() const { return m_certificates.size(); }

 private:
  std::vector<X509Ptr> m_certificates;
};

// Makes the TLS handshake of a context (an SSL_CTX) check that the server's certificate names
// `host` (a name, or an IP address, in brackets or not), so that a certificate for another
// host fails during the handshake, before the client certificate's key signs anything, and not
// only after it as in curl's own check. False with OpenSSL's words in `error`.
bool RequireHost(void* sslContext, const std::string& host, std::string& error);

// Switches curl's peer and host-name checks on or off for the handle. curl's cache of the
// system's store is turned off, so that each TLS context gets a store of its own and the
// authorities added to it reach no other request.
void SetServerVerification(CURL* curl, bool verificar);

// A CURLOPT_SSL_CTX_FUNCTION for handles that install nothing else in the TLS context: adds the
// TrustAnchors given as CURLOPT_SSL_CTX_DATA and requires the host of the address being
// connected (the last of a redirect chain).
CURLcode AddTrustAnchorsToContext(CURL* curl, void* sslContext, void* anchors) noexcept;

// The fault, when a transfer ended with `result` because the server's identity could not be
// confirmed; nothing for any other failure. `errorText` is the transfer's CURLOPT_ERRORBUFFER.
std::optional<ServerIdentityFailure> ServerIdentityFailureOf(CURL* curl, CURLcode result,
                                                             const char* errorText);

// The fault of an OpenSSL verification result (X509_V_ERR_*): the one table.
ServerIdentityFault FaultOfVerifyResult(long verifyResult) noexcept;

// The host of a URL as written in it (an IPv6 address in brackets); the URL itself when curl
// cannot parse it.
std::string HostOfUrl(const std::string& url);

}  // namespace luvaro
