// A headless send with the company certificate on tokens laid out as real ones are: the key
// hidden until the login with no public-key object beside it, the key under another CKA_ID
// than the certificate, and a key that asks for the PIN at every use. The run lists the
// certificate, signs every event inside the token (xmlsec1 verifies each) and presents it in
// the TLS handshake; OpenSC's logging module counts the logins that reached the token.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;

struct Layout {
  const char* name;
  std::function<void(ScratchToken&)> fill;
  bool pinAtEveryUse;  // the key asks for the PIN at each signature (CKA_ALWAYS_AUTHENTICATE)
};

TEST(TokenLayoutE2E, SendSignsEveryEventAndPresentsTheCertificate) {
  const Layout layouts[] = {
      {"private key only, hidden until login",
       [](ScratchToken& t) { t.PutCertificate("empresa", "01").PutPrivateKey("empresa", "01"); },
       false},
      {"key pair under another CKA_ID",
       [](ScratchToken& t) { t.PutCertificate("empresa", "01").PutKeyPair("empresa", "0A"); },
       false},
      {"key that asks for the PIN at every use",
       [](ScratchToken& t) {
         t.PutCertificate("empresa", "01").PutPrivateKey("empresa", "01", true);
       },
       true},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    EsocialCenario cenario;
    TempDir trabalho{"luvaro-e2e-token-layout"};
    ScratchToken token;
    layout.fill(token);

    ProcessOptions options;
    options.args = cenario.ArgsEnvio();
    options.env = cenario.Ambiente();
    options.env["SOFTHSM2_CONF"] = token.ConfigFile().string();
    options.env["LUVARO_PKCS11_MODULE"] = TestToken::SpyModule().string();
    options.env["PKCS11SPY"] = TestToken::SoftHsmModule().string();
    options.env["PKCS11SPY_OUTPUT"] = (trabalho / "spy.log").string();
    const ProcessResult r = RunProcess(kExe, options);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;

    const auto governo = cenario.Governo().Requests();
    ASSERT_EQ(governo.size(), 1u) << r.err;
    EXPECT_EQ(governo[0].tls.at("serial"), SerialDe("empresa"));
    const std::vector<EventoDoLote> eventos = EventosDoLote(governo[0].body);
    EXPECT_FALSE(eventos.empty());
    for (const EventoDoLote& evento : eventos) {
      SCOPED_TRACE(evento.id);
      std::string saida;
      EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
    }
    // The PIN went to the token once; a key that asks for it at every use was given it again
    // for each event's signature and for the handshake's.
    const int logins = Ocorrencias(ReadFile(trabalho / "spy.log"), ": C_Login\n");
    EXPECT_EQ(logins, layout.pinAtEveryUse ? 1 + static_cast<int>(eventos.size()) + 1 : 1);
  }
}

}  // namespace
}  // namespace luvaro::test
