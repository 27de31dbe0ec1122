// A token's certificates and keys for the certificate store: one search per object class,
// matched in memory, so a listing costs the same number of searches however many certificates
// and keys the token holds (on a USB token every search is a round trip).

#include "dfe/platform/linux/token_objects_int.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include <openssl/err.h>
#include <openssl/x509v3.h>

namespace luvaro {

namespace {

bool MesmoId(const unsigned char* a, std::size_t na, std::span<const unsigned char> b) {
  return na > 0 && na == b.size() && std::equal(a, a + na, b.begin());
}

// A certificate of a person or company: CA certificates (a token may carry its issuers, and
// p11-kit's trust module carries the system's roots) are never offered for signing.
bool CertificadoDeUsuario(X509* certificate) {
  const int ca = X509_check_ca(certificate);
  ERR_clear_error();
  return ca == 0;
}

// p11-kit's trust module shows the system's trusted roots as a token; it holds no user
// certificate, so the store never reads it.
bool TokenDeConfianca(const PKCS11_TOKEN& token) {
  return token.model != nullptr && std::string_view(token.model) == "p11-kit-trust";
}

}  // namespace

ChavesDoToken::ChavesDoToken(PKCS11_TOKEN* token, bool privadas) : m_privadas(privadas) {
  const int result = privadas ? PKCS11_enumerate_keys(token, &m_keys, &m_count)
                              : PKCS11_enumerate_public_keys(token, &m_keys, &m_count);
  if (result != 0) {  // shows none; the OpenSSL queue keeps why for the caller
    m_keys = nullptr;
    m_count = 0;
  }
  m_publicas.resize(m_count);
  m_lidas.resize(m_count, false);
}

PKCS11_KEY* ChavesDoToken::Do(X509* certificate, std::span<const unsigned char> id, bool conferir) {
  EVP_PKEY* publica = X509_get0_pubkey(certificate);
  const auto outra = [&](unsigned int i) {
    if (!conferir || publica == nullptr) return false;
    const int comparacao = Comparar(publica, i);
    return comparacao == 0 || comparacao == -1;
  };
  for (unsigned int i = 0; i < m_count; ++i)
    if (MesmoId(m_keys[i].id, m_keys[i].id_len, id) && !outra(i)) return &m_keys[i];
  if (publica != nullptr)
    for (unsigned int i = 0; i < m_count; ++i)
      if (Comparar(publica, i) == 1) return &m_keys[i];
  return nullptr;
}

EvpPkeyPtr ChavesDoToken::Privada(PKCS11_KEY* key) {
  return EvpPkeyPtr(PKCS11_get_private_key(key));
}

// EVP_PKEY_eq of the certificate's key and key `i`'s public half: 1 the same, 0 or -1
// another, -2 when the token does not show enough of the key to tell.
int ChavesDoToken::Comparar(EVP_PKEY* publica, unsigned int i) {
  EVP_PKEY* chave = Publica(i);
  const int resultado = chave != nullptr ? EVP_PKEY_eq(publica, chave) : -2;
  ERR_clear_error();
  return resultado;
}

EVP_PKEY* ChavesDoToken::Publica(unsigned int i) {
  if (!m_lidas[i]) {
    m_lidas[i] = true;
    m_publicas[i] =
        m_privadas ? Privada(&m_keys[i]) : EvpPkeyPtr(PKCS11_get_public_key(&m_keys[i]));
  }
  return m_publicas[i].get();
}

// The certificates of one token that the store offers, read in one pass: one search for the
// certificates and, where the keys decide, one for the private keys (and one for the public
// keys when a certificate is left without a private one), matched in memory. A token that asks
// for a login before use may keep its private keys (and some, every key) hidden until then, so
// each of its user certificates is offered and the key is looked for after the login; on any
// other token a certificate needs a key beside it.
void ListarToken(TokenEnvironment::Impl& ambiente, PKCS11_SLOT& slot,
                 std::vector<CertificadoDoToken>& entradas) {
  if (TokenDeConfianca(*slot.token)) return;
  PKCS11_CERT* certs = nullptr;
  unsigned int count = 0;
  if (PKCS11_enumerate_certs(slot.token, &certs, &count) != 0) {
    ERR_clear_error();  // an unreadable token hides only its own certificates
    return;
  }
  std::vector<CertificadoDoToken> doToken;
  for (unsigned int i = 0; i < count; ++i) {
    if (certs[i].x509 == nullptr || !CertificadoDeUsuario(certs[i].x509)) continue;
    X509_up_ref(certs[i].x509);
    doToken.push_back({&slot, X509Ptr(certs[i].x509),
                       std::vector<unsigned char>(certs[i].id, certs[i].id + certs[i].id_len)});
  }
  if (doToken.empty()) return;

  if (!slot.token->loginRequired || ambiente.LoggedIn(&slot)) {
    // The public keys are searched only for certificates no private key matched.
    ChavesDoToken privadas(slot.token, true);
    std::optional<ChavesDoToken> publicas;
    std::erase_if(doToken, [&](const CertificadoDoToken& entrada) {
      if (privadas.Do(entrada.x509.get(), entrada.id) != nullptr) return false;
      if (!publicas) publicas.emplace(slot.token, false);
      return publicas->Do(entrada.x509.get(), entrada.id) == nullptr;
    });
    ERR_clear_error();  // a token that cannot show its keys offers none of its certificates
  }
  for (CertificadoDoToken& entrada : doToken) entradas.push_back(std::move(entrada));
}

}  // namespace luvaro
