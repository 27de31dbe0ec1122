#include "tests/integration/http/gov_test_support.h"

#include <netinet/in.h>
#include <openssl/pem.h>
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

}  // namespace

PemCryptClass::PemCryptClass(TDFeSSL& owner, const fs::path& certificatePem, EvpPkeyPtr key)
    : TDFeSSLCryptClass(owner) {
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
  m_tokenEnv.reset();
}

std::string GovTest::Url(const std::string& path) {
  return s_sim->BaseUrl() + path;
}

void GovTest::SetUp() {
  ResetTokenEnvironment();
}

void GovTest::ResetTokenEnvironment(const fs::path& module) {
  m_tokenEnv.reset();
  fs::remove(m_dir / "spy.log");
  setenv("PKCS11SPY", TestToken::SoftHsmModule().c_str(), 1);
  setenv("PKCS11SPY_OUTPUT", (m_dir / "spy.log").c_str(), 1);
  m_tokenEnv = std::make_unique<TokenEnvironment>(module);
}

int GovTest::TokenSignatures() const {
  if (!fs::exists(m_dir / "spy.log")) return 0;
  const std::string log = ReadFile(m_dir / "spy.log");
  int count = 0;
  for (size_t at = log.find(": C_Sign\n"); at != std::string::npos;
       at = log.find(": C_Sign\n", at + 1)) {
    ++count;
  }
  return count;
}

std::unique_ptr<TDFeSSL> GovTest::MakeFacade() {
  auto ssl = std::make_unique<TDFeSSL>();
  ssl->SetTokenEnv(m_tokenEnv.get());
  ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  ssl->SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  ssl->SetTimeOut(10000);
  ssl->SetNumeroSerie(Token().Certificate("empresa").serial);
  ssl->SetSenha(std::string(TestToken::kPin));
  // The stand-in's authority is trusted as the program trusts the government's: in cadeias/.
  ssl->SetPastaCadeias(Token().TrustTestCa(m_dir.path()));
  return ssl;
}

std::vector<RecordedRequest> GovTest::RequestsFrom(size_t first) {
  auto all = s_sim->Requests();
  if (first >= all.size()) return {};
  return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

}  // namespace luvaro::test
