#define OPENSSL_SUPPRESS_DEPRECATED  // a failing key needs the RSA method table

#include "tests/integration/http/gov_test_support.h"

#include <netinet/in.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "dfe/dfe_exception.h"

namespace fs = std::filesystem;

namespace luvaro::test {

namespace {

X509Ptr ReadCertificate(const fs::path& pem) {
  const BioPtr bio(BIO_new_file(pem.c_str(), "r"));
  if (!bio) throw std::runtime_error("cannot open " + pem.string());
  X509Ptr certificate(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  if (!certificate) throw std::runtime_error("no certificate in " + pem.string());
  return certificate;
}

// Every private-key operation fails, as on a token whose key object was removed.
int RefuseKeyOperation(int, const unsigned char*, unsigned char*, RSA*, int) {
  return -1;
}

}  // namespace

PemCryptClass::PemCryptClass(TDFeSSL& owner, const fs::path& certificatePem, EvpPkeyPtr key,
                             std::shared_ptr<void> keepAlive)
    : TDFeSSLCryptClass(owner), m_keepAlive(std::move(keepAlive)) {
  m_context.certificate = ReadCertificate(certificatePem);
  m_context.privateKey = std::move(key);
}

const CertContext* PemCryptClass::GetCertContextWinApi() {
  if (!FpCertificadoLido) CarregarCertificado();
  return &m_context;
}

void PemCryptClass::CarregarCertificado() {
  FpCertificadoLido = true;
}

void PemCryptClass::DescarregarCertificado() {
  FpCertificadoLido = false;
}

EvpPkeyPtr ReadKey(const fs::path& keyPem) {
  const BioPtr bio(BIO_new_file(keyPem.c_str(), "r"));
  if (!bio) throw std::runtime_error("cannot open " + keyPem.string());
  EvpPkeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  if (!key) throw std::runtime_error("no key in " + keyPem.string());
  return key;
}

EvpPkeyPtr FailingKey(const fs::path& certificatePem, std::shared_ptr<void>& keepAlive) {
  const X509Ptr certificate = ReadCertificate(certificatePem);
  const RSA* publicKey = EVP_PKEY_get0_RSA(X509_get0_pubkey(certificate.get()));
  if (publicKey == nullptr) throw std::runtime_error("not an RSA certificate");

  std::shared_ptr<RSA_METHOD> method(RSA_meth_dup(RSA_PKCS1_OpenSSL()), RSA_meth_free);
  RSA_meth_set1_name(method.get(), "failing token key");
  RSA_meth_set_priv_enc(method.get(), &RefuseKeyOperation);
  RSA_meth_set_priv_dec(method.get(), &RefuseKeyOperation);

  using RsaPtr = std::unique_ptr<RSA, CFree<&RSA_free>>;
  RsaPtr rsa(RSA_new());
  RSA_set_method(rsa.get(), method.get());
  RSA_set0_key(rsa.get(), BN_dup(RSA_get0_n(publicKey)), BN_dup(RSA_get0_e(publicKey)), nullptr);
  EvpPkeyPtr key(EVP_PKEY_new());
  if (EVP_PKEY_assign_RSA(key.get(), rsa.get()) != 1) throw std::runtime_error("EVP_PKEY");
  (void)rsa.release();  // the key owns it now
  keepAlive = method;
  return key;
}

int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("no loopback port");
  }
  close(fd);  // bound but never listening: connections are refused
  return ntohs(address.sin_port);
}

std::string FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EDFeException& failure) {
    return failure.what();
  }
  ADD_FAILURE() << "no failure";
  return {};
}

void GovTest::SetUpTestSuite() {
  s_curl = std::make_unique<CurlGlobal>();
  TestToken& token = Token();
  s_sim =
      std::make_unique<SimProcess>(LUVARO_SIM_PATH, "gov",
                                   std::vector<std::string>{"--cert", token.ServerPem().string(),
                                                            "--key", token.ServerKeyPem().string(),
                                                            "--client-ca", token.CaPem().string()});
}

void GovTest::TearDownTestSuite() {
  s_sim.reset();
  s_curl.reset();
}

void GovTest::TearDown() {
  s_sim->ClearFaults();
}

std::string GovTest::Url(const std::string& path) {
  return s_sim->BaseUrl() + path;
}

std::unique_ptr<TDFeSSL> GovTest::MakeFacade() {
  auto ssl = std::make_unique<TDFeSSL>();
  ssl->SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  ssl->SetTimeOut(10000);
  const TokenCertificate& empresa = Token().Certificate("empresa");
  ssl->SetSSLCryptClass(
      std::make_unique<PemCryptClass>(*ssl, empresa.pem, ReadKey(empresa.keyPem)));
  return ssl;
}

std::vector<RecordedRequest> GovTest::RequestsFrom(size_t first) {
  auto all = s_sim->Requests();
  if (first >= all.size()) return {};
  return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

}  // namespace luvaro::test
