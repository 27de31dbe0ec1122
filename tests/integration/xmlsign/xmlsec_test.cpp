// Every signature made here is checked by xmlsec1 with the signing certificate, for the
// eSocial shape (whole document, empty Reference URI) and the EFD-Reinf shape (the event
// element, "#" + id), signed with a software key, a PFX key and the key inside a SoftHSM2
// token; the signed events also validate against the government's XSDs.

#include <gtest/gtest.h>

#include "dfe/platform/linux/token_environment.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {
namespace {

// How one test signs: a facade with its crypto back-end, and the certificate xmlsec1 trusts.
struct Assinante {
  std::string nome;
  std::unique_ptr<TokenEnvironment> env;  // outlives the facade
  std::unique_ptr<TDFeSSL> ssl;
  std::filesystem::path certPem;
};

class XmlSecTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestToken::Shared();
    dir_ = std::make_unique<TempDir>("luvaro-xmlsec");
    CopySchemas(dir_->path() / "schemas");
    WriteFile(dir_->path() / "software.pem", SharedKey().certPem);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static std::filesystem::path Dir() { return dir_->path(); }

  static Assinante Software() {
    return {"chave em software", nullptr, MakeFacade(SharedKey()), Dir() / "software.pem"};
  }
  static Assinante Store(const std::string& nome) {
    Assinante a{nome,
                std::make_unique<TokenEnvironment>(TestToken::SoftHsmModule()),
                std::make_unique<TDFeSSL>(),
                {}};
    a.ssl->SetTokenEnv(a.env.get());
    a.ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    a.ssl->SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    a.ssl->SetSSLDgst(TSSLDgst::dgstSHA256);
    return a;
  }
  static Assinante Pfx() {
    Assinante a = Store("chave PFX");
    a.ssl->SetArquivoPFX(TestToken::Shared().PfxFile().string());
    a.ssl->SetSenha(std::string(TestToken::kPfxPassword));
    a.certPem = TestToken::Shared().Certificate("a1").pem;
    return a;
  }
  static Assinante Token() {
    Assinante a = Store("chave no token");
    a.ssl->SetNumeroSerie(TestToken::Shared().Certificate("empresa").serial);
    a.ssl->SetSenha(std::string(TestToken::kPin));
    a.certPem = TestToken::Shared().Certificate("empresa").pem;
    return a;
  }

  // xmlsec1's verdict on a signed document, with the signing certificate's key.
  static ProcessResult Xmlsec(const std::string& assinado, const std::filesystem::path& certPem,
                              const EventFixture& f) {
    const auto arquivo = Dir() / "assinado.xml";
    WriteFile(arquivo, assinado);
    ProcessOptions options;
    options.args = {"--verify", "--pubkey-cert-pem", certPem.string()};
    if (f.IdAttr == "id") {
      options.args.push_back("--id-attr:id");
      options.args.push_back(f.idNamespace + ":" + f.infElement);
    }
    options.args.push_back(arquivo.string());
    return RunProcess("/usr/bin/xmlsec1", options);
  }

  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> XmlSecTest::dir_;

TEST_F(XmlSecTest, AssinaturasAceitasPeloXmlsecEValidasNoSchema) {
  Assinante assinantes[] = {Software(), Pfx(), Token()};
  for (Assinante& a : assinantes) {
    SCOPED_TRACE(a.nome);
    for (const EventFixture& f : EventFixtures()) {
      SCOPED_TRACE(f.file);
      const std::string raiz = f.IdAttr == "ID" ? "eSocial" : "Reinf";
      const std::string assinado =
          a.ssl->Assinar(ReadFixture(f.file), raiz, f.infElement, "", "", "", f.IdAttr);

      const ProcessResult xmlsec = Xmlsec(assinado, a.certPem, f);
      EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
      EXPECT_NE(xmlsec.err.find("OK"), std::string::npos) << xmlsec.err;

      std::string msg;
      EXPECT_TRUE(a.ssl->Validar(assinado, (Dir() / "schemas" / f.schema).string(), msg)) << msg;
      EXPECT_TRUE(a.ssl->VerificarAssinatura(assinado, msg, f.infElement)) << msg;
      EXPECT_FALSE(a.ssl->CertificadoLido()) << "unloaded after verification";
    }
  }
}

// The edge cases of signing, with the keys the program really uses, each result checked by
// xmlsec1 and by a second signing (which must replace the signature, not add one).
TEST_F(XmlSecTest, CasosDeBordaNasDuasFormas) {
  const EventFixture formas[] = {
      {"", "", "evtAdmPrelim", "ID", "ID1123456780001952024030112000000001", "urn:esocial"},
      {"", "", "evtInfoContri", "id", "ID1123456780000002024030112000000001", "urn:reinf"},
  };
  struct Caso {
    const char* nome;
    std::string antes;   // before the event element
    std::string evento;  // the event element's content
    std::string depois;  // after it, inside the root
    bool declaracao;     // the result starts with an XML declaration
  };
  const Caso casos[] = {
      {"com declaração UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<v>1</v>", "", true},
      {"sem declaração", "", "<v>1</v>", "", false},
      {"declaração de outro encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
       "<v>1</v>", "", false},
      {"indentado", "", "\n    <v>1</v>\n    <w>dois\r\n três</w>\n  ", "\n", false},
      {"elementos vazios e acentos", "", "<a/><b></b><nome>Conceição</nome><c x=\"é\"/>", "",
       false},
  };
  Assinante assinantes[] = {Pfx(), Token()};
  for (Assinante& a : assinantes) {
    SCOPED_TRACE(a.nome);
    for (const EventFixture& f : formas) {
      SCOPED_TRACE(f.IdAttr);
      const std::string raiz = f.IdAttr == "ID" ? "eSocial" : "Reinf";
      const std::string idAttr = f.IdAttr == "ID" ? "Id" : "id";
      for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        const std::string xml = c.antes + "<" + raiz + " xmlns=\"" + f.idNamespace + "\">\n  <" +
                                f.infElement + " " + idAttr + "=\"" + f.id + "\">" + c.evento +
                                "</" + f.infElement + ">" + c.depois + "</" + raiz + ">";
        const std::string uma = a.ssl->Assinar(xml, raiz, f.infElement, "", "", "", f.IdAttr);
        const std::string duas = a.ssl->Assinar(uma, raiz, f.infElement, "", "", "", f.IdAttr);
        for (const std::string* assinado : {&uma, &duas}) {
          EXPECT_EQ(assinado->starts_with("<?xml"), c.declaracao);
          EXPECT_EQ(assinado->find_first_of("\r\n"), std::string::npos);
          EXPECT_EQ(Occurrences(*assinado, "<Signature "), 1u);
          EXPECT_EQ(assinado->find("/>"), std::string::npos);
          const ProcessResult xmlsec = Xmlsec(*assinado, a.certPem, f);
          EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.err << *assinado;
        }
      }
    }
  }
}

TEST_F(XmlSecTest, XmlsecRecusaDocumentoAlterado) {
  Assinante a = Token();
  for (const EventFixture& f : EventFixtures()) {
    SCOPED_TRACE(f.file);
    const std::string raiz = f.IdAttr == "ID" ? "eSocial" : "Reinf";
    std::string assinado =
        a.ssl->Assinar(ReadFixture(f.file), raiz, f.infElement, "", "", "", f.IdAttr);
    assinado.replace(assinado.find("<tpAmb>2</tpAmb>"), 16, "<tpAmb>1</tpAmb>");
    const ProcessResult xmlsec = Xmlsec(assinado, a.certPem, f);
    EXPECT_NE(xmlsec.exitCode, 0) << xmlsec.err;

    std::string msg;
    EXPECT_FALSE(a.ssl->VerificarAssinatura(assinado, msg, f.infElement));
    EXPECT_EQ(msg, "DigestValue não confere. Conteúdo de \"" + f.infElement + "\" foi alterado");
  }
}

TEST_F(XmlSecTest, DigestsDoPerfilAceitosPeloXmlsec) {
  const EventFixture& esocial = EventFixtures().front();
  const EventFixture& reinf = EventFixtures().back();
  for (const TSSLDgst digest : {TSSLDgst::dgstSHA1, TSSLDgst::dgstSHA256, TSSLDgst::dgstSHA512}) {
    for (const EventFixture* f : {&esocial, &reinf}) {
      SCOPED_TRACE(std::string(NomeDgst(digest)) + " " + f->file);
      Assinante a = Token();
      a.ssl->SetSSLDgst(digest);
      const std::string assinado =
          a.ssl->Assinar(ReadFixture(f->file), "", f->infElement, "", "", "", f->IdAttr);
      const ProcessResult xmlsec = Xmlsec(assinado, a.certPem, *f);
      EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.err;
    }
  }
}

}  // namespace
}  // namespace luvaro::test
