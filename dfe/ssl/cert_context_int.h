#pragma once

// Private to the security facade's back-ends (dfe/ssl and dfe/platform/<os>).

#include <memory>

#include "dfe/raii/openssl.h"

namespace luvaro {

// The loaded certificate: its X.509 form and its private key (a token key surfaces as an
// ordinary EVP_PKEY). `keepAlive` holds whatever the key depends on (PKCS#11 module, token
// session), so the key stays usable for as long as this context lives.
struct CertContext {
  // Declared first so that it is destroyed last, after the key that depends on it.
  std::shared_ptr<void> keepAlive;
  X509Ptr certificate;
  EvpPkeyPtr privateKey;  // null for a certificate without an accessible key
};

}  // namespace luvaro
