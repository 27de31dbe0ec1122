#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dfe/front.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/token.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro::test {

// The user, as the store meets them: answers the PIN prompt and the chooser from queues and
// records what was asked.
class ScriptedFront final : public IFront {
 public:
  void ShowStatus(const std::string&) override {}
  int ShowDialog(const DialogRequest&) override { return static_cast<int>(DialogButton::Ok); }
  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override;
  std::optional<SecureString> AskPin(const PinRequest& request) override;

  std::deque<std::optional<std::string>> pins;  // answers to AskPin, in order (empty: none)
  std::optional<std::string> choice;            // the chooser's answer
  std::vector<PinRequest> pinRequests;
  std::string chooserTitle, chooserPrompt;
  std::vector<CertificateChoice> chooserRows;
  int chooserCalls = 0;
};

// A facade on the store back-end with a fresh token environment per test. By default the
// environment's module is OpenSC's logging module in front of SoftHSM2, so that the tests can
// count what reached the token.
class TokenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TestToken::Shared(); }
  void SetUp() override;

  // Uses `module` instead (the p11-kit proxy, or SoftHSM2 itself).
  void UseModule(const std::filesystem::path& module);
  // Uses SoftHSM2 behind the test module that puts in `faults` ("slotinfo", "keys"; see
  // tests/support/pkcs11_fault_module.cpp); TearDown takes them away.
  void UseFaultyModule(const char* faults);
  // The same, with OpenSC's logging module in front (Logins() counts what reached the token).
  void UseLoggedFaultyModule(const char* faults);
  void TearDown() override;
  // How many C_Login calls reached the token since the environment was made.
  int Logins() const;
  // Loads the fixture certificate `name` from the token by its serial number.
  void Load(const std::string& name);
  // The serial numbers of a listing of the store.
  std::set<std::string> ListedSerials();

  const TestToken& token() const { return TestToken::Shared(); }

  TempDir m_dir{"luvaro-token-test"};
  ScriptedFront front;
  std::unique_ptr<TokenEnvironment> env;  // outlives the facade below
  std::unique_ptr<TDFeSSL> ssl;
};

// openssl's verdict on `signature` over `data` with the public key of the certificate `pem`.
bool OpensslVerifies(const std::filesystem::path& pem, const std::string& digest,
                     const std::string& data, const std::string& signature,
                     const std::filesystem::path& workDir);

}  // namespace luvaro::test
