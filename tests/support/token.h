#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace luvaro::test {

// One certificate of the test token, as openssl describes it (manifest.txt of the generator).
struct TokenCertificate {
  std::string name;              // "empresa", "san", "ecpf", "vencido", "semchave", "a1"
  std::string serial;            // `openssl x509 -serial`: upper-case hex, no sign byte
  std::string sha1;              // SHA-1 fingerprint, upper-case hex
  bool onToken = false;          // the certificate is on the token
  bool hasKey = false;           // its private key is on the token (same CKA_ID)
  std::filesystem::path pem;     // certificate, PEM
  std::filesystem::path der;     // certificate, DER
  std::filesystem::path keyPem;  // its private key, PEM (PKCS#8)
};

// A real PKCS#11 token for tests: a SoftHSM2 token in a fresh temporary folder, filled by
// tests/fixtures/token/make-token.sh with ICP-Brasil-shaped certificates (see the script for
// the list), plus a test CA, a TLS server certificate for localhost signed by it and a PFX.
// Creating it sets SOFTHSM2_CONF in this process's environment, so the SoftHSM module (loaded
// directly or through the p11-kit proxy) sees this token; the folder goes with the object.
class TestToken {
 public:
  static constexpr std::string_view kPin = "1234";
  static constexpr std::string_view kSoPin = "12345678";
  static constexpr std::string_view kLabel = "LUVARO TESTE";
  static constexpr std::string_view kPfxPassword = "senha-pfx";

  TestToken();
  TestToken(const TestToken&) = delete;  // one owner removes the token folder
  TestToken& operator=(const TestToken&) = delete;

  // The token shared by every test of this program (made on first use).
  static TestToken& Shared();

  // The SoftHSM2 module and the p11-kit proxy (which reaches SoftHSM through its registration).
  static std::filesystem::path SoftHsmModule();
  static std::filesystem::path P11KitProxyModule();
  // OpenSC's logging module; with PKCS11SPY=<module> and PKCS11SPY_OUTPUT=<file> it records
  // every PKCS#11 call (tests count C_Login with it).
  static std::filesystem::path SpyModule();

  const std::filesystem::path& Folder() const { return m_dir.path(); }
  std::filesystem::path ConfigFile() const { return m_dir / "softhsm2.conf"; }
  std::filesystem::path CaPem() const { return m_dir / "ca.pem"; }
  std::filesystem::path CaKeyPem() const { return m_dir / "ca.key.pem"; }
  std::filesystem::path ServerPem() const { return m_dir / "server.pem"; }
  std::filesystem::path ServerKeyPem() const { return m_dir / "server.key.pem"; }
  // The server certificates the identity check must refuse although the CA is trusted: one for
  // another host name only, and one that expired; their keys beside them (".key.pem").
  std::filesystem::path OtherHostServerPem() const { return m_dir / "server-outro.pem"; }
  std::filesystem::path ExpiredServerPem() const { return m_dir / "server-vencido.pem"; }
  static std::filesystem::path KeyOf(const std::filesystem::path& certificatePem);

  // Makes `applicationFolder`/cadeias holding the test CA, so that the program verifies the
  // stand-ins as it verifies the government; returns that folder.
  std::filesystem::path TrustTestCa(const std::filesystem::path& applicationFolder) const;
  std::filesystem::path PfxFile() const { return m_dir / "a1.pfx"; }

  // By fixture name; throws for an unknown one.
  const TokenCertificate& Certificate(std::string_view name) const;
  const std::map<std::string, TokenCertificate, std::less<>>& Certificates() const {
    return m_certs;
  }

 private:
  TempDir m_dir{"luvaro-token"};
  std::map<std::string, TokenCertificate, std::less<>> m_certs;
};

// A SoftHSM2 token of its own, for tests that need one laid out differently from the shared
// token (keys hidden until login, a key under another CKA_ID, keys that ask for the PIN at every
// use). It starts empty (same label-independent PINs as the shared token) and is filled with
// the shared token's certificates and keys by the token tools. SOFTHSM2_CONF points at it
// while a ScratchToken::Use lives (for this process), or through ConfigFile() (for a child).
class ScratchToken {
 public:
  static constexpr std::string_view kLabel = "LUVARO VARIANTE";

  ScratchToken();
  ScratchToken(const ScratchToken&) = delete;  // one owner removes the token folder
  ScratchToken& operator=(const ScratchToken&) = delete;

  // The shared token's certificate `name` ("ca": the test CA) under CKA_ID `id` (hexadecimal).
  ScratchToken& PutCertificate(std::string_view name, std::string_view id);
  // Its private key alone (no public-key object), private; with `alwaysAuthenticate`, it
  // carries CKA_ALWAYS_AUTHENTICATE (a PIN for every use).
  ScratchToken& PutPrivateKey(std::string_view name, std::string_view id,
                              bool alwaysAuthenticate = false);
  // Its key pair (private and public objects), as softhsm2-util imports it.
  ScratchToken& PutKeyPair(std::string_view name, std::string_view id);

  std::filesystem::path ConfigFile() const { return m_dir / "softhsm2.conf"; }

  // Points SOFTHSM2_CONF of this process at the token; the destructor puts back what was there.
  class Use {
   public:
    explicit Use(const ScratchToken& token);
    ~Use();
    Use(const Use&) = delete;  // one owner puts the old value back
    Use& operator=(const Use&) = delete;

   private:
    std::string m_previous;
  };

 private:
  void Run(const std::string& command);

  TempDir m_dir{"luvaro-scratch-token"};
};

// Runs a command line through /bin/sh with this process's environment (SOFTHSM2_CONF included)
// and returns its exit status; the output goes to `output` when given.
int RunShell(const std::string& command, std::string* output = nullptr);

}  // namespace luvaro::test
