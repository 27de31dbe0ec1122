#include "dfe/ssl/dfe_ssl.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "dfe/config/certificados_conf.h"

#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro {
namespace {

using test::FailureOf;

using test::TempDir;
using test::WriteFile;

TEST(TDFeSSL, DefaultsAfterClear) {
  TDFeSSL ssl;
  ssl.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  ssl.SetSSLDgst(TSSLDgst::dgstSHA256);
  ssl.SetStoreName("Root");
  ssl.SetNumeroSerie("01");
  ssl.SetSenha("1234");
  ssl.SetTimeOut(1);
  ssl.SetTimeOutPorThread(true);
  ssl.SetUseCertificateHTTP(false);
  ssl.SetAntesDeAssinar([](std::string&, auto&, auto&, auto&, auto&, auto&) {});
  ssl.Clear();

  EXPECT_EQ(ssl.SSLCryptLib(), TSSLCryptLib::cryNone);
  EXPECT_EQ(ssl.SSLHttpLib(), TSSLHttpLib::httpNone);
  EXPECT_EQ(ssl.SSLXmlSignLib(), TSSLXmlSignLib::xsNone);
  EXPECT_EQ(ssl.SSLCryptClass().ClassName(), "TDFeSSLCryptClass");
  EXPECT_EQ(ssl.SSLHttpClass().ClassName(), "TDFeSSLHttpClass");
  EXPECT_EQ(ssl.SSLXmlSignClass().ClassName(), "TDFeSSLXmlSignClass");
  EXPECT_EQ(ssl.SSLType(), TSSLType::LT_all);
  EXPECT_EQ(ssl.SSLDgst(), TSSLDgst::dgstSHA1);
  EXPECT_EQ(ssl.StoreLocation(), TSSLStoreLocation::slCurrentUser);
  EXPECT_EQ(ssl.StoreName(), "My");
  EXPECT_EQ(ssl.NumeroSerie(), "");
  EXPECT_EQ(ssl.Senha(), "");
  EXPECT_EQ(ssl.TimeOut(), 5000);
  EXPECT_FALSE(ssl.TimeOutPorThread());
  EXPECT_TRUE(ssl.UseCertificateHTTP());
  EXPECT_FALSE(ssl.AntesDeAssinar());
}

TEST(TDFeSSL, NumeroSerieIsStoredWithoutBlanksUpperCased) {
  const struct {
    const char* name;
    const char* input;
    const char* stored;
  } cases[] = {
      {"already clean", "1A2B3C", "1A2B3C"},
      {"lower case", "1a2b3c", "1A2B3C"},
      {"blanks inside and around", "  1a 2b\t3c  ", "1A2B3C"},
      {"as some viewers show it", "1a 2b 3c 4d 5e 6f 00 01", "1A2B3C4D5E6F0001"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDFeSSL ssl;
    ssl.SetNumeroSerie(c.input);
    EXPECT_EQ(ssl.NumeroSerie(), c.stored);
  }
}

// Each certificate setting clears what the rules say and unloads a loaded certificate only on
// a change (the base back-end counts a certificate as loaded after CarregarCertificado).
TEST(TDFeSSL, CertificateSettingsClearPfxDataAndUnload) {
  TDFeSSL ssl;
  ssl.SetNumeroSerie("AB");
  ssl.SetArquivoPFX("a.pfx");
  ssl.SetSenha("1234");

  ssl.CarregarCertificado();
  ssl.SetNumeroSerie(" ab ");  // the same after normalisation
  EXPECT_TRUE(ssl.CertificadoLido());
  ssl.SetSenha("1234");
  EXPECT_TRUE(ssl.CertificadoLido());

  const struct {
    const char* name;
    void (*change)(TDFeSSL&);
  } changes[] = {
      {"NumeroSerie", [](TDFeSSL& s) { s.SetNumeroSerie("CD"); }},
      {"ArquivoPFX", [](TDFeSSL& s) { s.SetArquivoPFX("b.pfx"); }},
      {"DadosPFX", [](TDFeSSL& s) { s.SetDadosPFX("bytes"); }},
      {"Senha", [](TDFeSSL& s) { s.SetSenha("4321"); }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.name);
    ssl.CarregarCertificado();
    ASSERT_TRUE(ssl.CertificadoLido());
    c.change(ssl);
    EXPECT_FALSE(ssl.CertificadoLido());
  }

  ssl.SetDadosPFX("bytes");
  ssl.SetNumeroSerie("EF");
  EXPECT_EQ(ssl.DadosPFX(), "");
  ssl.SetDadosPFX("bytes");
  ssl.SetArquivoPFX("c.pfx");
  EXPECT_EQ(ssl.DadosPFX(), "");
}

TEST(TDFeSSL, SenhaReadsBackWhateverItHolds) {
  const char* values[] = {"1234", "0123456789", "senha com espaços", "ç\x01\xFF", ""};
  TDFeSSL ssl;
  for (const char* value : values) {
    SCOPED_TRACE(value);
    ssl.SetSenha(value);
    EXPECT_EQ(ssl.Senha(), value);
  }
}

// The PIN leaves the facade and the configuration only in the type that wipes itself.
static_assert(std::is_same_v<decltype(std::declval<const TDFeSSL&>().Senha()), SecureString>);
static_assert(
    std::is_same_v<decltype(std::declval<const TCertificadosConf&>().Senha()), SecureString>);

// A short text lives inside the string object itself, a long one on the heap: whichever copy a
// SecureString takes over or is moved out of is left zeroed, not merely emptied.
TEST(SecureString, LeavesNoCopyBehind) {
  for (const std::string& texto : {std::string("1234"), std::string(100, 'x')}) {
    SCOPED_TRACE(texto.size());
    const std::string zeros(texto.size(), '\0');
    std::string claro = texto;
    const char* bytesClaro = claro.data();
    SecureString pin(std::move(claro));
    EXPECT_EQ(pin, texto);
    EXPECT_EQ(std::string(bytesClaro, texto.size()), zeros);

    const char* bytesPin = pin.str().data();
    SecureString movido(std::move(pin));
    EXPECT_EQ(movido, texto);
    EXPECT_EQ(std::string(bytesPin, texto.size()), zeros);

    const char* bytesMovido = movido.str().data();
    movido.wipe();
    EXPECT_EQ(movido, "");
    EXPECT_EQ(std::string(bytesMovido, texto.size()), zeros);
  }
}

TEST(TDFeSSL, BackEndsChosenByEnumeration) {
  TDFeSSL ssl;
  ssl.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  EXPECT_EQ(ssl.SSLCryptClass().ClassName(), "TDFeWinCrypt");
  ssl.SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  EXPECT_EQ(ssl.SSLHttpClass().ClassName(), "TDFeHttpWinHttp");
  ssl.SetSSLHttpLib(TSSLHttpLib::httpWinINet);
  EXPECT_EQ(ssl.SSLHttpClass().ClassName(), "TDFeHttpWinHttp");
  ssl.SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  EXPECT_EQ(ssl.SSLXmlSignClass().ClassName(), "TDFeSSLXmlSignLibXml2");

  // Libraries this program does not carry get the base objects.
  ssl.SetSSLCryptLib(TSSLCryptLib::cryOpenSSL);
  EXPECT_EQ(ssl.SSLCryptClass().ClassName(), "TDFeSSLCryptClass");
  ssl.SetSSLHttpLib(TSSLHttpLib::httpOpenSSL);
  EXPECT_EQ(ssl.SSLHttpClass().ClassName(), "TDFeSSLHttpClass");
}

TEST(TDFeSSL, XmlSecFailsAndLeavesTheBaseSigner) {
  TDFeSSL ssl;
  ssl.SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  EXPECT_THROW(ssl.SetSSLXmlSignLib(TSSLXmlSignLib::xsXmlSec), EDFeException);
  EXPECT_EQ(ssl.SSLXmlSignLib(), TSSLXmlSignLib::xsNone);
  EXPECT_EQ(ssl.SSLXmlSignClass().ClassName(), "TDFeSSLXmlSignClass");
}

TEST(TDFeSSL, BaseBackEndsAnswerThatTheyDoNotSupportTheOperation) {
  TempDir dir;
  const auto schema = dir / "schema.xsd";
  WriteFile(schema, "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>");
  TDFeSSL ssl;
  std::string msg;
  const struct {
    const char* name;
    std::function<void()> call;
    const char* expected;
  } cases[] = {
      {"CalcHash", [&] { ssl.CalcHash(std::string_view("x"), TSSLDgst::dgstSHA1); },
       "\"CalcHash\" não suportado em: TDFeSSLCryptClass"},
      {"ValidarHash", [&] { ssl.ValidarHash(std::string_view("x"), TSSLDgst::dgstSHA1, "00"); },
       "\"ValidarHash\" não suportado em: TDFeSSLCryptClass"},
      {"SelecionarCertificado", [&] { ssl.SelecionarCertificado(); },
       "\"SelecionarCertificado\" não suportado em: TDFeSSLCryptClass"},
      {"LerCertificadosStore", [&] { ssl.LerCertificadosStore(); },
       "\"LerCertificadosStore\" não suportado em: TDFeSSLCryptClass"},
      {"CarregarCertificadoPublico", [&] { ssl.CarregarCertificadoPublico("AA=="); },
       "\"CarregarCertificadoPublico\" não suportado em: TDFeSSLCryptClass"},
      {"HTTP Enviar", [&] { ssl.SSLHttpClass().Enviar("<a/>", "https://x", "", ""); },
       "Método \"Enviar\" não implementado em: TDFeSSLHttpClass"},
      {"HTTP ConfigurarHTTP", [&] { ssl.SSLHttpClass().ConfigurarHTTP("https://x", "", ""); },
       "Método \"ConfigurarHTTP\" não implementado em: TDFeSSLHttpClass"},
      {"Assinar", [&] { ssl.Assinar("<a/>", "a", "a"); },
       "TDFeSSLXmlSignClass.Assinar, não implementado"},
      {"Validar", [&] { ssl.Validar("<a/>", schema.string(), msg); },
       "\"Validar\" não suportado em: TDFeSSLXmlSignClass"},
      {"VerificarAssinatura", [&] { ssl.VerificarAssinatura("<a/>", msg); },
       "\"ValidarAssinatura\" não suportado em: TDFeSSLXmlSignClass"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureOf(c.call), c.expected);
  }
  EXPECT_EQ(ssl.SSLCryptClass().GetCertContextWinApi(), nullptr);
  ssl.SetDadosPFX("pfx bytes");
  EXPECT_EQ(ssl.SSLCryptClass().GetCertPFXData(), "pfx bytes");
}

TEST(TDFeSSL, ValidarChecksTheSchemaPathFirst) {
  TDFeSSL ssl;
  std::string msg;
  EXPECT_EQ(FailureOf([&] { ssl.Validar("<a/>", "", msg); }), "Arquivo de Schema não especificado");
  EXPECT_EQ(FailureOf([&] { ssl.Validar("<a/>", "/nao/existe.xsd", msg); }),
            "Arquivo \r\n/nao/existe.xsd\r\nNão encontrado");
}

TEST(TDFeSSL, ValidarContraSchemaDevolveAFalhaEmVezDeLancar) {
  TDFeSSL ssl;  // the base back-end: it supports no validation
  TempDir dir;
  const auto schema = dir / "schema.xsd";
  WriteFile(schema, "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>");
  struct Caso {
    std::string arquivo;
    bool ausente;
    std::string mensagem;
  };
  const Caso casos[] = {
      {"", true, "Arquivo de Schema não especificado"},
      {"/nao/existe.xsd", true, "Arquivo \r\n/nao/existe.xsd\r\nNão encontrado"},
      {schema.string(), false, "\"Validar\" não suportado em: TDFeSSLXmlSignClass"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.arquivo);
    const TValidacaoSchema r = ValidarContraSchema(ssl, "<a/>", c.arquivo);
    EXPECT_FALSE(r.valido);
    EXPECT_EQ(r.ausente, c.ausente);
    EXPECT_EQ(r.mensagem, c.mensagem);
  }
}

// A signer that shows what the facade handed it: it returns the document unchanged, or with a
// declaration of its own.
class EchoSigner final : public TDFeSSLXmlSignClass {
 public:
  EchoSigner(TDFeSSL& owner, std::string declaration, int* calls)
      : TDFeSSLXmlSignClass(owner), m_declaration(std::move(declaration)), m_calls(calls) {}
  std::string Assinar(const std::string& xml, const std::string&, const std::string&,
                      const std::string&, const std::string&, const std::string&,
                      const std::string&) override {
    ++*m_calls;
    const std::size_t root = xml.find("<doc");
    return m_declaration + xml.substr(root) + "<!--signed-->";
  }

 private:
  std::string m_declaration;
  int* m_calls;
};

TEST(TDFeSSL, AssinarHookMayReplaceTheSigning) {
  TDFeSSL ssl;
  int calls = 0;
  ssl.SetSSLXmlSignClass(std::make_unique<EchoSigner>(ssl, "", &calls));

  ssl.SetAntesDeAssinar([](std::string&, auto&, auto&, auto&, auto&, auto&) {});
  EXPECT_EQ(ssl.Assinar("<doc/>", "doc", "doc"), "<doc/><!--signed-->");
  EXPECT_EQ(calls, 1);

  std::string seen;
  ssl.SetAntesDeAssinar(
      [&](std::string& xml, const std::string& docElement, auto&, auto&, auto&, auto&) {
        seen = docElement;
        xml = "<substituido/>";
      });
  EXPECT_EQ(ssl.Assinar("<doc/>", "doc", "inf"), "<substituido/>");
  EXPECT_EQ(seen, "doc");
  EXPECT_EQ(calls, 1);
}

TEST(TDFeSSL, AssinarKeepsAUtf8Declaration) {
  const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string own = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>";
  const struct {
    const char* name;
    std::string input;
    std::string backEndDeclaration;
    std::string expected;
  } cases[] = {
      {"input's declaration put back", utf8 + "<doc/>", "", utf8 + "<doc/><!--signed-->"},
      {"back-end's own declaration kept", utf8 + "<doc/>", own, own + "<doc/><!--signed-->"},
      {"no declaration, none added", "<doc/>", "", "<doc/><!--signed-->"},
      {"other encoding not remembered", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><doc/>", "",
       "<doc/><!--signed-->"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDFeSSL ssl;
    int calls = 0;
    ssl.SetSSLXmlSignClass(std::make_unique<EchoSigner>(ssl, c.backEndDeclaration, &calls));
    EXPECT_EQ(ssl.Assinar(c.input, "doc", "doc"), c.expected);
  }
}

}  // namespace
}  // namespace luvaro
