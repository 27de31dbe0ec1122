#pragma once

// Private to dfe/platform/linux: a token's certificates and keys, read for the certificate
// store in one pass per token and matched in memory.

#include <span>
#include <vector>

#include "dfe/platform/linux/token_environment_int.h"
#include "dfe/raii/openssl.h"

namespace luvaro {

// A certificate the store offers, copied out of libp11's list for its token (which the next
// search on that token may move).
struct CertificadoDoToken {
  PKCS11_SLOT* slot;
  X509Ptr x509;
  std::vector<unsigned char> id;  // its CKA_ID
};

// The keys of one search on a token (private or public), with the public half of each read
// from the token only when a certificate has to be matched by its public key, and then once.
class ChavesDoToken {
 public:
  // Searches the token; on failure it holds no key and the OpenSSL queue keeps why.
  ChavesDoToken(PKCS11_TOKEN* token, bool privadas);
  ChavesDoToken(const ChavesDoToken&) = delete;  // points into libp11's list for the token
  ChavesDoToken& operator=(const ChavesDoToken&) = delete;

  // The key that belongs to `certificate`: the one with its CKA_ID, else the one with its
  // public key (tools that write keys and certificates apart may give them different
  // CKA_IDs). With `conferir`, a key under the certificate's CKA_ID whose public half is
  // plainly another is passed over (signing with it would give signatures nobody can verify).
  // Null when none belongs.
  PKCS11_KEY* Do(X509* certificate, std::span<const unsigned char> id, bool conferir = false);

  // The signing key of `key` (one of this search's private keys), owned by the caller.
  static EvpPkeyPtr Privada(PKCS11_KEY* key);

 private:
  int Comparar(EVP_PKEY* publica, unsigned int i);
  EVP_PKEY* Publica(unsigned int i);

  bool m_privadas;
  PKCS11_KEY* m_keys = nullptr;  // libp11's list for the token, valid until its next search
  unsigned int m_count = 0;
  std::vector<EvpPkeyPtr> m_publicas;
  std::vector<bool> m_lidas;
};

// Adds to `entradas` the certificates of the token in `slot` that the store offers (see
// token_objects_pkcs11.cpp).
void ListarToken(TokenEnvironment::Impl& ambiente, PKCS11_SLOT& slot,
                 std::vector<CertificadoDoToken>& entradas);

}  // namespace luvaro
