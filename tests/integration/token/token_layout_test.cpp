// Tokens laid out as real ones are: keys hidden until the login (some without any public-key
// object), a key under another CKA_ID than its certificate, CA certificates beside the user's;
// and how many PKCS#11 calls a listing and a signature cost as the token fills up.
#include <functional>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>

#include "dfe/ssl/cert_context_int.h"
#include "tests/integration/token/token_test_support.h"

namespace luvaro::test {
namespace {

const std::string kPin(TestToken::kPin);

std::string Sign(TDFeSSL& ssl, const std::string& data) {
  return ssl.CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary,
                      true);
}

class TokenLayoutTest : public TokenTest {
 protected:
  std::string Serial(const std::string& name) { return token().Certificate(name).serial; }

  // The PKCS#11 calls recorded by the logging module so far: every call, and the searches.
  struct Calls {
    int all = 0;
    int searches = 0;  // C_FindObjectsInit
  };
  Calls CallsSoFar() const {
    Calls calls;
    const auto log = m_dir / "spy.log";
    if (!std::filesystem::exists(log)) return calls;
    static const std::regex call(R"(^\d+: (C_\w+)$)");
    std::istringstream lines(ReadFile(log));
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
      if (!std::regex_match(line, match, call)) continue;
      ++calls.all;
      if (match[1] == "C_FindObjectsInit") ++calls.searches;
    }
    return calls;
  }
  Calls CallsOf(const std::function<void()>& step) {
    const Calls before = CallsSoFar();
    step();
    const Calls after = CallsSoFar();
    return {after.all - before.all, after.searches - before.searches};
  }
};

struct LayoutCase {
  const char* name;
  std::function<void(ScratchToken&)> fill;
  bool signs;  // the listed certificate finds its key after the login
};

// Every user certificate of a token that asks for a login is offered before the login; after
// it, the key is found by CKA_ID, else by the certificate's public key, and the signature
// verifies with the certificate. A certificate left without a key fails when its key is needed.
TEST_F(TokenLayoutTest, CertificatesOfTokensThatHideTheirKeys) {
  const LayoutCase cases[] = {
      {"private key only, hidden until login",
       [](ScratchToken& t) { t.PutCertificate("empresa", "01").PutPrivateKey("empresa", "01"); },
       true},
      {"key pair under another CKA_ID",
       [](ScratchToken& t) { t.PutCertificate("empresa", "01").PutKeyPair("empresa", "0A"); },
       true},
      {"hidden private key under another CKA_ID",
       [](ScratchToken& t) {
         t.PutCertificate("empresa", "01")
             .PutPrivateKey("san", "01")  // another pair's key under the certificate's CKA_ID
             .PutPrivateKey("empresa", "0B");
       },
       true},
      {"no key at all", [](ScratchToken& t) { t.PutCertificate("empresa", "01"); }, false},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchToken scratch;
    c.fill(scratch);
    const ScratchToken::Use use(scratch);
    UseModule(TestToken::SoftHsmModule());
    front.pins = {kPin};

    EXPECT_EQ(ListedSerials(), std::set<std::string>{Serial("empresa")});
    Load("empresa");
    const std::string data = "<evtInfoEmpregador Id=\"ID1\">conteúdo</evtInfoEmpregador>";
    if (c.signs) {
      const std::string signature = Sign(*ssl, data);
      EXPECT_TRUE(OpensslVerifies(token().Certificate("empresa").pem, "sha256", data, signature,
                                  m_dir.path()));
    } else {
      EXPECT_EQ(FailureOf([&] { Sign(*ssl, data); }),
                "O recipiente da chave não pôde ser aberto , erro: $00000060");
      // Once the token is logged in its keys show, and a certificate without one is not offered.
      ssl->DescarregarCertificado();
      EXPECT_TRUE(ListedSerials().empty());
    }
  }
}

// CA certificates on a token are never offered, whatever the token's login.
TEST_F(TokenLayoutTest, CaCertificatesAreNotOffered) {
  ScratchToken scratch;
  scratch.PutCertificate("ca", "0C").PutCertificate("ecpf", "03").PutKeyPair("ecpf", "03");
  const ScratchToken::Use use(scratch);
  UseModule(TestToken::SoftHsmModule());
  EXPECT_EQ(ListedSerials(), std::set<std::string>{Serial("ecpf")});
}

// A listing reads each token's objects in one pass, and so does the search for the key at the
// first signature: the number of searches stays the same however many certificates and keys the
// token holds, and each certificate with its key adds the same number of calls (the attributes
// of its own objects), never one per other certificate or key.
TEST_F(TokenLayoutTest, CallsOfAListingDoNotGrowWithCertificatesTimesKeys) {
  const char* const pairs[][2] = {{"empresa", "01"}, {"san", "02"}, {"ecpf", "03"}};
  ScratchToken scratch;
  const ScratchToken::Use use(scratch);
  std::vector<Calls> beforeLogin, afterLogin, signing;
  for (const auto& [name, id] : pairs) {
    SCOPED_TRACE(name);
    scratch.PutCertificate(name, id).PutKeyPair(name, id);
    UseModule(TestToken::SpyModule());
    front.pins = {kPin};
    beforeLogin.push_back(CallsOf([&] { ssl->LerCertificadosStore(); }));
    signing.push_back(CallsOf([&] {
      Load("empresa");
      Sign(*ssl, "documento");
    }));
    ssl->DescarregarCertificado();  // the prompted login stays: the keys now show
    afterLogin.push_back(CallsOf([&] { ssl->LerCertificadosStore(); }));
    EXPECT_EQ(ssl->ListaCertificados().Count(), beforeLogin.size());
  }
  for (const auto* steps : {&beforeLogin, &afterLogin, &signing}) {
    const std::vector<Calls>& s = *steps;
    EXPECT_EQ(s[0].searches, s[1].searches);
    EXPECT_EQ(s[1].searches, s[2].searches);
    EXPECT_EQ(s[1].all - s[0].all, s[2].all - s[1].all)
        << s[0].all << " " << s[1].all << " " << s[2].all;
  }
  EXPECT_EQ(beforeLogin[0].searches, 1) << "the certificates only: the keys wait for the login";
  EXPECT_EQ(afterLogin[0].searches, 2) << "certificates and private keys";
  std::cout << "PKCS#11 calls per listing (1, 2, 3 certificates with keys): before login "
            << beforeLogin[0].all << ", " << beforeLogin[1].all << ", " << beforeLogin[2].all
            << "; after login " << afterLogin[0].all << ", " << afterLogin[1].all << ", "
            << afterLogin[2].all << "; load and first signature " << signing[0].all << ", "
            << signing[1].all << ", " << signing[2].all << "\n";
}

// What the TLS handshake does with the context's key: OpenSSL signs with it (inside the token).
bool ContextKeySigns(TDFeSSL& ssl, const std::filesystem::path& certificatePem,
                     const std::filesystem::path& workDir) {
  const CertContext* context = ssl.CertContextWinApi();
  if (context == nullptr || !context->privateKey) return false;
  const std::string data = "handshake";
  EvpMdCtxPtr md(EVP_MD_CTX_new());
  std::size_t length = 0;
  if (EVP_DigestSignInit(md.get(), nullptr, EVP_sha256(), nullptr, context->privateKey.get()) !=
          1 ||
      EVP_DigestSign(md.get(), nullptr, &length,
                     reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1)
    return false;
  std::string signature(length, '\0');
  if (EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                     reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1)
    return false;
  signature.resize(length);
  return OpensslVerifies(certificatePem, "sha256", data, signature, workDir);
}

// A key that asks for the PIN at every use (CKA_ALWAYS_AUTHENTICATE): each signature, and the
// one the TLS handshake makes, logs in for that use with the PIN the user already gave. The
// user is asked once (or not at all, with a configured password), and nothing prompts anywhere
// else.
TEST_F(TokenLayoutTest, KeyThatAsksForThePinAtEveryUse) {
  const struct {
    const char* name;
    bool configured;
  } cases[] = {{"PIN from the prompt", false}, {"configured password", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchToken scratch;
    scratch.PutCertificate("empresa", "01").PutPrivateKey("empresa", "01", true);
    const ScratchToken::Use use(scratch);
    UseModule(TestToken::SpyModule());
    const int loginsBefore = Logins();
    front.pinRequests.clear();
    if (c.configured)
      ssl->SetSenha(kPin);
    else
      front.pins = {kPin};

    Load("empresa");
    for (int i = 0; i < 3; ++i) {
      const std::string data = "documento " + std::to_string(i);
      EXPECT_TRUE(OpensslVerifies(token().Certificate("empresa").pem, "sha256", data,
                                  Sign(*ssl, data), m_dir.path()));
    }
    EXPECT_TRUE(ContextKeySigns(*ssl, token().Certificate("empresa").pem, m_dir.path()));
    EXPECT_EQ(front.pinRequests.size(), c.configured ? 0u : 1u);
    EXPECT_EQ(Logins() - loginsBefore, 1 + 4) << "the token's login, then one per use";
  }
}

// A token that refuses the PIN when a key asks for it (a card whose signing PIN is not its user
// PIN) never sees that PIN again in the process: later signatures and the handshake's key fail
// at once with the wrong-PIN message, without touching the token.
TEST_F(TokenLayoutTest, PinRefusedAtAKeysUseIsNeverPresentedAgain) {
  ScratchToken scratch;
  scratch.PutCertificate("empresa", "01").PutPrivateKey("empresa", "01", true);
  const ScratchToken::Use use(scratch);
  UseLoggedFaultyModule("contextpin");
  front.pins = {kPin};
  Load("empresa");
  const std::string pinErrado =
      "O cartão não pode ser acessado porque o PIN errado foi apresentado.";
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(FailureOf([&] { Sign(*ssl, "documento"); }), pinErrado + " , erro: $000000A0");
    EXPECT_EQ(FailureOf([&] { ssl->CertContextWinApi(); }), pinErrado);
  }
  EXPECT_EQ(Logins(), 2) << "the token's login, and the one use of the key it refused";
  EXPECT_EQ(front.pinRequests.size(), 1u);
}

}  // namespace
}  // namespace luvaro::test
