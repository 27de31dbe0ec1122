#pragma once

// Owners of OpenSSL handles. Included only by back-end and platform .cpp files and private
// (*_int.h) headers, never by a facade, model or interface header.

#include <memory>
#include <string>
#include <vector>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "dfe/raii/cfree.h"

namespace luvaro {

using X509Ptr = std::unique_ptr<X509, CFree<&X509_free>>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, CFree<&EVP_PKEY_free>>;
using EvpPkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, CFree<&EVP_PKEY_CTX_free>>;
using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, CFree<&EVP_MD_CTX_free>>;
using EvpMdPtr = std::unique_ptr<EVP_MD, CFree<&EVP_MD_free>>;
using OsslLibCtxPtr = std::unique_ptr<OSSL_LIB_CTX, CFree<&OSSL_LIB_CTX_free>>;
using OsslProviderPtr = std::unique_ptr<OSSL_PROVIDER, CFree<&OSSL_PROVIDER_unload>>;
using BioPtr = std::unique_ptr<BIO, CFree<&BIO_free_all>>;
using Pkcs12Ptr = std::unique_ptr<PKCS12, CFree<&PKCS12_free>>;
using SslCtxPtr = std::unique_ptr<SSL_CTX, CFree<&SSL_CTX_free>>;
using X509StackPtr = std::unique_ptr<STACK_OF(X509), CFree<[](STACK_OF(X509)* s) {
                                       sk_X509_pop_free(s, X509_free);
                                     }>>;

// The OpenSSL error queue, drained into one text ("" when empty); the codes, in queue order,
// also into `codes` when given. Call right at the failing call.
std::string OpenSslErrors(std::vector<unsigned long>* codes = nullptr);

}  // namespace luvaro
