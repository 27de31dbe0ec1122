#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <openssl/ssl.h>

namespace httplib {
class Server;
}

namespace luvaro::sim {

// The TLS side of a role served over HTTPS with client certificates.
struct TlsSettings {
  std::filesystem::path certificate;  // the server's certificate (chain), PEM
  std::filesystem::path privateKey;   // its key, PEM
  // A client must present a certificate issued by this CA; empty: no client certificate asked.
  std::filesystem::path clientCa;
};

// An HTTPS server that refuses clients without a certificate issued by `clientCa` (when one is
// given) and lets them resume their TLS sessions. Throws std::runtime_error with OpenSSL's words
// when the files cannot be used.
std::unique_ptr<httplib::Server> MakeTlsServer(const TlsSettings& tls);

// What a request's TLS connection showed, one "name: value" line each: the client
// certificate's subject, issuer and serial number (upper-case hexadecimal), the protocol,
// whether the session was resumed, and the client's port (one per connection).
std::string DescribeTls(const SSL* ssl, int remotePort);

}  // namespace luvaro::sim
