#include "tests/support/token.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/process.h"

namespace fs = std::filesystem;

namespace luvaro::test {

namespace {

fs::path GeneratorScript() {
  return fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "token" / "make-token.sh";
}

}  // namespace

fs::path TestToken::SoftHsmModule() {
  return "/usr/lib/x86_64-linux-gnu/softhsm/libsofthsm2.so";
}

fs::path TestToken::P11KitProxyModule() {
  return "/usr/lib/x86_64-linux-gnu/p11-kit-proxy.so";
}

fs::path TestToken::SpyModule() {
  return "/usr/lib/x86_64-linux-gnu/pkcs11/pkcs11-spy.so";
}

TestToken::TestToken() {
  if (!fs::exists(SoftHsmModule()))
    throw std::runtime_error("SoftHSM2 is missing (" + SoftHsmModule().string() +
                             "); run scripts/install-deps");
  ProcessOptions options;
  options.args = {GeneratorScript().string(), m_dir.path().string()};
  options.env["SOFTHSM2_MODULE"] = SoftHsmModule().string();
  const ProcessResult made = RunProcess("/bin/bash", options);
  if (made.exitCode != 0)
    throw std::runtime_error("make-token.sh failed (" + std::to_string(made.exitCode) +
                             "): " + made.err);

  setenv("SOFTHSM2_CONF", ConfigFile().c_str(), 1);

  std::istringstream manifest(ReadFile(m_dir / "manifest.txt"));
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ';');) fields.push_back(field);
    if (fields.size() != 5) throw std::runtime_error("bad manifest line: " + line);
    TokenCertificate cert;
    cert.name = fields[0];
    cert.serial = fields[1];
    cert.sha1 = fields[2];
    cert.onToken = fields[3] == "yes";
    cert.hasKey = fields[4] == "yes";
    cert.pem = m_dir / (cert.name + ".pem");
    cert.der = m_dir / (cert.name + ".der");
    cert.keyPem = m_dir / (cert.name + ".key.pem");
    m_certs.emplace(cert.name, std::move(cert));
  }
}

TestToken& TestToken::Shared() {
  // One token per test program: made on first use, removed when the program ends.
  static TestToken token;
  return token;
}

fs::path TestToken::KeyOf(const fs::path& certificatePem) {
  fs::path key = certificatePem;
  key.replace_extension(".key.pem");
  return key;
}

fs::path TestToken::TrustTestCa(const fs::path& applicationFolder) const {
  const fs::path cadeias = applicationFolder / "cadeias";
  fs::create_directories(cadeias);
  fs::copy_file(CaPem(), cadeias / "ac-luvaro-teste.pem", fs::copy_options::overwrite_existing);
  return cadeias;
}

const TokenCertificate& TestToken::Certificate(std::string_view name) const {
  const auto found = m_certs.find(name);
  if (found == m_certs.end()) throw std::runtime_error("no test certificate " + std::string(name));
  return found->second;
}

ScratchToken::ScratchToken() {
  fs::create_directories(m_dir / "tokens");
  WriteFile(ConfigFile(), "directories.tokendir = " + (m_dir / "tokens").string() +
                              "\nobjectstore.backend = file\nlog.level = ERROR\n"
                              "slots.removable = false\n");
  Run("softhsm2-util --init-token --free --label '" + std::string(kLabel) + "' --so-pin " +
      std::string(TestToken::kSoPin) + " --pin " + std::string(TestToken::kPin));
}

ScratchToken& ScratchToken::PutCertificate(std::string_view name, std::string_view id) {
  const TestToken& shared = TestToken::Shared();
  const fs::path file = name == "ca" ? shared.CaPem() : shared.Certificate(name).der;
  Run("pkcs11-tool --module '" + TestToken::SoftHsmModule().string() + "' --token-label '" +
      std::string(kLabel) + "' --login --pin " + std::string(TestToken::kPin) +
      " --write-object '" + file.string() + "' --type cert --id " + std::string(id) + " --label '" +
      std::string(name) + "'");
  return *this;
}

ScratchToken& ScratchToken::PutPrivateKey(std::string_view name, std::string_view id,
                                          bool alwaysAuthenticate) {
  Run("pkcs11-tool --module '" + TestToken::SoftHsmModule().string() + "' --token-label '" +
      std::string(kLabel) + "' --login --pin " + std::string(TestToken::kPin) +
      " --write-object '" + TestToken::Shared().Certificate(name).keyPem.string() +
      "' --type privkey --private --sensitive --usage-sign --id " + std::string(id) + " --label '" +
      std::string(name) + "'" + (alwaysAuthenticate ? " --always-auth" : ""));
  return *this;
}

ScratchToken& ScratchToken::PutKeyPair(std::string_view name, std::string_view id) {
  Run("softhsm2-util --import '" + TestToken::Shared().Certificate(name).keyPem.string() +
      "' --token '" + std::string(kLabel) + "' --label '" + std::string(name) + "' --id " +
      std::string(id) + " --pin " + std::string(TestToken::kPin));
  return *this;
}

void ScratchToken::Run(const std::string& command) {
  std::string output;
  if (RunShell("SOFTHSM2_CONF='" + ConfigFile().string() + "' " + command, &output) != 0)
    throw std::runtime_error("token tool failed: " + command + "\n" + output);
}

ScratchToken::Use::Use(const ScratchToken& token) {
  if (const char* previous = std::getenv("SOFTHSM2_CONF")) m_previous = previous;
  setenv("SOFTHSM2_CONF", token.ConfigFile().c_str(), 1);
}

ScratchToken::Use::~Use() {
  if (m_previous.empty())
    unsetenv("SOFTHSM2_CONF");
  else
    setenv("SOFTHSM2_CONF", m_previous.c_str(), 1);
}

int RunShell(const std::string& command, std::string* output) {
  ProcessOptions options;
  options.args = {"-c", command};
  const ProcessResult result = RunProcess("/bin/sh", options);
  if (output != nullptr) *output = result.out + result.err;
  return result.exitCode;
}

}  // namespace luvaro::test
