#include "tools/sim/tls.h"

#include <httplib.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/x509.h>

#include <stdexcept>

#include "dfe/raii/cfree.h"

namespace luvaro::sim {
namespace {

using BioOwner = std::unique_ptr<BIO, CFree<&BIO_free_all>>;
using BigNumOwner = std::unique_ptr<BIGNUM, CFree<&BN_free>>;
using OsslCharsOwner = std::unique_ptr<char, CFree<[](char* text) { OPENSSL_free(text); }>>;
using NameStackOwner = std::unique_ptr<STACK_OF(X509_NAME), CFree<[](STACK_OF(X509_NAME) * s) {
                                         sk_X509_NAME_pop_free(s, X509_NAME_free);
                                       }>>;

// Tells a resumed session apart from one of another program's runs.
constexpr unsigned char kSessionContext[] = "luvaro-sim";

std::string OpenSslText() {
  std::string text;
  while (unsigned long code = ERR_get_error()) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
  }
  return text;
}

std::string NameText(const X509_NAME* name) {
  const BioOwner bio(BIO_new(BIO_s_mem()));
  if (!bio || name == nullptr) return {};
  X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<size_t>(size));
}

std::string SerialText(const X509* certificate) {
  const BigNumOwner number(ASN1_INTEGER_to_BN(X509_get0_serialNumber(certificate), nullptr));
  if (!number) return {};
  const OsslCharsOwner hex(BN_bn2hex(number.get()));
  return hex ? std::string(hex.get()) : std::string();
}

bool SetUp(SSL_CTX& context, const TlsSettings& tls, std::string& failure) {
  ERR_clear_error();
  auto fail = [&failure](const std::string& step) {
    failure = step + ": " + OpenSslText();
    return false;
  };
  if (SSL_CTX_use_certificate_chain_file(&context, tls.certificate.c_str()) != 1)
    return fail("server certificate " + tls.certificate.string());
  if (SSL_CTX_use_PrivateKey_file(&context, tls.privateKey.c_str(), SSL_FILETYPE_PEM) != 1)
    return fail("server key " + tls.privateKey.string());
  if (SSL_CTX_check_private_key(&context) != 1) return fail("server key and certificate");
  SSL_CTX_set_session_id_context(&context, kSessionContext, sizeof kSessionContext - 1);
  if (tls.clientCa.empty()) {
    SSL_CTX_set_verify(&context, SSL_VERIFY_NONE, nullptr);
    return true;
  }
  if (SSL_CTX_load_verify_locations(&context, tls.clientCa.c_str(), nullptr) != 1)
    return fail("client CA " + tls.clientCa.string());
  NameStackOwner caNames(SSL_load_client_CA_file(tls.clientCa.c_str()));
  if (!caNames) return fail("client CA names " + tls.clientCa.string());
  SSL_CTX_set_client_CA_list(&context, caNames.release());
  SSL_CTX_set_verify(&context, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
  return true;
}

}  // namespace

std::unique_ptr<httplib::Server> MakeTlsServer(const TlsSettings& tls) {
  std::string failure;
  auto server = std::make_unique<httplib::SSLServer>(
      [&](SSL_CTX& context) { return SetUp(context, tls, failure); });
  if (!server->is_valid()) {
    throw std::runtime_error("cannot serve TLS: " +
                             (failure.empty() ? std::string("no TLS context") : failure));
  }
  return server;
}

std::string DescribeTls(const SSL* ssl, int remotePort) {
  std::string text;
  if (const X509* peer = SSL_get0_peer_certificate(ssl)) {
    text += "subject: " + NameText(X509_get_subject_name(peer)) + "\n";
    text += "issuer: " + NameText(X509_get_issuer_name(peer)) + "\n";
    text += "serial: " + SerialText(peer) + "\n";
  }
  text += std::string("protocol: ") + SSL_get_version(ssl) + "\n";
  text += std::string("resumed: ") + (SSL_session_reused(ssl) ? "yes" : "no") + "\n";
  text += "connection: " + std::to_string(remotePort) + "\n";
  return text;
}

}  // namespace luvaro::sim
