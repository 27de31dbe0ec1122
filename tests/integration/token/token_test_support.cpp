#include "tests/integration/token/token_test_support.h"

#include <cstdlib>
#include <sstream>

namespace luvaro::test {

std::optional<std::string> ScriptedFront::ChooseCertificate(
    const std::string& title, const std::string& prompt,
    const std::vector<CertificateChoice>& certificates) {
  ++chooserCalls;
  chooserTitle = title;
  chooserPrompt = prompt;
  chooserRows = certificates;
  return choice;
}

std::optional<SecureString> ScriptedFront::AskPin(const PinRequest& request) {
  pinRequests.push_back(request);
  if (pins.empty() || !pins.front()) {
    if (!pins.empty()) pins.pop_front();
    return std::nullopt;
  }
  SecureString pin(*pins.front());
  pins.pop_front();
  return pin;
}

void TokenTest::SetUp() {
  setenv("PKCS11SPY", TestToken::SoftHsmModule().c_str(), 1);
  setenv("PKCS11SPY_OUTPUT", (m_dir / "spy.log").c_str(), 1);
  UseModule(TestToken::SpyModule());
}

void TokenTest::UseModule(const std::filesystem::path& module) {
  ssl.reset();
  env.reset();
  env = std::make_unique<TokenEnvironment>(module);
  ssl = std::make_unique<TDFeSSL>();
  ssl->SetTokenEnv(env.get());
  ssl->SetFront(&front);
  ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
}

void TokenTest::UseFaultyModule(const char* faults) {
  setenv("LUVARO_TEST_P11_MODULE", TestToken::SoftHsmModule().c_str(), 1);
  setenv("LUVARO_TEST_P11_FAULTS", faults, 1);
  UseModule(LUVARO_PKCS11_FAULT_MODULE);
}

void TokenTest::UseLoggedFaultyModule(const char* faults) {
  setenv("LUVARO_TEST_P11_MODULE", TestToken::SoftHsmModule().c_str(), 1);
  setenv("LUVARO_TEST_P11_FAULTS", faults, 1);
  setenv("PKCS11SPY", LUVARO_PKCS11_FAULT_MODULE, 1);
  UseModule(TestToken::SpyModule());
}

void TokenTest::TearDown() {
  unsetenv("LUVARO_TEST_P11_FAULTS");
}

int TokenTest::Logins() const {
  const auto log = m_dir / "spy.log";
  if (!std::filesystem::exists(log)) return 0;
  std::istringstream lines(ReadFile(log));
  int count = 0;
  for (std::string line; std::getline(lines, line);)
    if (line.ends_with(": C_Login")) ++count;
  return count;
}

void TokenTest::Load(const std::string& name) {
  ssl->SetNumeroSerie(token().Certificate(name).serial);
  ssl->CarregarCertificado();
}

std::set<std::string> TokenTest::ListedSerials() {
  ssl->LerCertificadosStore();
  std::set<std::string> serials;
  for (std::size_t i = 0; i < ssl->ListaCertificados().Count(); ++i)
    serials.insert(ssl->ListaCertificados()[i].NumeroSerie());
  return serials;
}

bool OpensslVerifies(const std::filesystem::path& pem, const std::string& digest,
                     const std::string& data, const std::string& signature,
                     const std::filesystem::path& workDir) {
  WriteFile(workDir / "data.bin", data);
  WriteFile(workDir / "data.sig", signature);
  const std::string command = "openssl x509 -in '" + pem.string() + "' -pubkey -noout > '" +
                              (workDir / "pub.pem").string() + "' && openssl dgst -" + digest +
                              " -verify '" + (workDir / "pub.pem").string() + "' -signature '" +
                              (workDir / "data.sig").string() + "' '" +
                              (workDir / "data.bin").string() + "'";
  std::string output;
  return RunShell(command, &output) == 0 && output.find("Verified OK") != std::string::npos;
}

}  // namespace luvaro::test
