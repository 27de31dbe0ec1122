// The store on the test token: listing, loading, certificate data, choice, PFX and public data.
#include <unistd.h>

#include <set>

#include "dfe/platform/linux/cert_store_pkcs11.h"
#include "dfe/xml/validacao_documento.h"
#include "tests/integration/token/token_test_support.h"

namespace luvaro::test {
namespace {

class CertStoreTest : public TokenTest {
 protected:
  TDFeWinCrypt& store() { return dynamic_cast<TDFeWinCrypt&>(ssl->SSLCryptClass()); }

  std::string StoreSerial(const std::string& name) { return token().Certificate(name).serial; }

  std::set<std::string> SerialsWithKeys() {
    std::set<std::string> serials;
    for (const auto& [name, cert] : token().Certificates())
      if (cert.hasKey) serials.insert(StoreSerial(name));
    return serials;
  }

  // The token asks for a login, and may hide its keys until then: before it, every user
  // certificate on it is offered.
  std::set<std::string> SerialsOnToken() {
    std::set<std::string> serials;
    for (const auto& [name, cert] : token().Certificates())
      if (cert.onToken) serials.insert(StoreSerial(name));
    return serials;
  }
};

TEST_F(CertStoreTest, ListsTheTokensUserCertificatesAndClosesTheStore) {
  EXPECT_EQ(ListedSerials(), SerialsOnToken());
  EXPECT_FALSE(store().StoreAberta());
  EXPECT_FALSE(ssl->CertificadoLido());
  for (std::size_t i = 0; i < ssl->ListaCertificados().Count(); ++i) {
    const TDadosCertificado& dados = ssl->ListaCertificados()[i];
    SCOPED_TRACE(dados.SubjectName());
    EXPECT_EQ(dados.Tipo(), TSSLTipoCertificado::tpcDesconhecido);
    EXPECT_FALSE(dados.DERBase64().empty());
  }
  EXPECT_EQ(Logins(), 0) << "listing never asks the token for a login";

  // Once the token is logged in its keys show, and only certificates with a key are offered.
  front.pins = {std::string(TestToken::kPin)};
  Load("empresa");
  ssl->CertContextWinApi();
  ssl->DescarregarCertificado();
  EXPECT_EQ(ListedSerials(), SerialsWithKeys());
}

TEST_F(CertStoreTest, ListingKeepsAStoreThatWasOpen) {
  Load("empresa");
  ASSERT_TRUE(store().StoreAberta());
  EXPECT_EQ(ListedSerials(), SerialsOnToken());
  EXPECT_TRUE(store().StoreAberta());
  EXPECT_TRUE(ssl->CertificadoLido());
  ssl->DescarregarCertificado();
  EXPECT_FALSE(store().StoreAberta());
}

struct LoadCase {
  const char* name;
  const char* razaoSocial;
  const char* cnpj;
};

TEST_F(CertStoreTest, LoadsBySerialAndReadsTheCertificateData) {
  const LoadCase cases[] = {
      {"empresa", "EMPRESA TESTE LTDA", "12345678000195"},
      {"san", "EMPRESA SAN LTDA", "11222333000181"},  // only in SAN 2.16.76.1.3.3
      {"ecpf", "FULANO DE TAL", "52998224725"},       // CPF from SAN 2.16.76.1.3.1
      {"vencido", "EMPRESA VENCIDA LTDA", "11444777000161"},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TokenCertificate& cert = token().Certificate(c.name);
    // As a user might type it: lower case, with blanks.
    std::string typed;
    for (char ch : cert.serial) typed += static_cast<char>(std::tolower(ch)) + std::string(" ");
    ssl->SetNumeroSerie(typed);
    ssl->CarregarCertificado();
    EXPECT_TRUE(ssl->CertificadoLido());
    EXPECT_EQ(ssl->CertNumeroSerie(), StoreSerial(c.name));
    EXPECT_EQ(ssl->DadosCertificado().ThumbPrint(), cert.sha1);
    EXPECT_EQ(ssl->CertRazaoSocial(), c.razaoSocial);
    EXPECT_EQ(ssl->CertCNPJ(), c.cnpj);
    EXPECT_EQ(ssl->CertCertificadora(), "AC LUVARO TESTE");
    EXPECT_EQ(ssl->CertSubjectName().substr(0, 20), "C=BR, O=ICP-Brasil, ");
    // SoftHSM's slot is neither hardware nor removable.
    EXPECT_EQ(ssl->CertTipo(), TSSLTipoCertificado::tpcA1);
  }
}

// A token module that does not tell what its slot is: the key's type is unknown, and the
// certificate is otherwise loaded as usual.
TEST_F(CertStoreTest, UnreadableKeyTypeIsUnknown) {
  UseFaultyModule("slotinfo");
  Load("empresa");
  EXPECT_TRUE(ssl->CertificadoLido());
  EXPECT_EQ(ssl->CertNumeroSerie(), StoreSerial("empresa"));
  EXPECT_EQ(ssl->CertTipo(), TSSLTipoCertificado::tpcDesconhecido);

  UseFaultyModule("");  // the same module telling it: SoftHSM's slot is software
  Load("empresa");
  EXPECT_EQ(ssl->CertTipo(), TSSLTipoCertificado::tpcA1);
}

TEST_F(CertStoreTest, SerialWithSignByteFindsTheSameCertificate) {
  // "vencido" has a serial with its high bit set; some viewers show it with a "00" in front.
  ssl->SetNumeroSerie("00" + token().Certificate("vencido").serial);
  ssl->CarregarCertificado();
  EXPECT_EQ(ssl->CertNumeroSerie(), token().Certificate("vencido").serial);
}

TEST_F(CertStoreTest, EndOfValidityInLocalTime) {
  Load("vencido");  // not after 2020-01-01 00:00:00 UTC
  const double vencimento = ssl->CertDataVenc();
  // 2020-01-01 is day 43831 since 30 December 1899; local time is within a day of it.
  EXPECT_GT(vencimento, 43830.0);
  EXPECT_LT(vencimento, 43832.0);
  Load("empresa");
  EXPECT_GT(ssl->CertDataVenc(), 45000.0);
}

TEST_F(CertStoreTest, LoadingFailures) {
  const struct {
    const char* name;
    std::string serial;
    std::string expected;
  } cases[] = {
      {"unknown serial", "0102", "Certificado \"0102\" não encontrado!"},
      {"certificate not on the token", token().Certificate("a1").serial,
       "Certificado \"" + token().Certificate("a1").serial + "\" não encontrado!"},
      {"nothing given", "", "DadosPFX, ArquivoPFX ou NumeroSerie não especificados !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ssl->SetNumeroSerie(c.serial);
    EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }), c.expected);
    EXPECT_FALSE(ssl->CertificadoLido());
  }
}

TEST_F(CertStoreTest, WithoutTokenEnvironmentTheStoreCannotOpen) {
  ssl->SetTokenEnv(nullptr);
  EXPECT_EQ(FailureOf([&] { ssl->LerCertificadosStore(); }).substr(0, 55),
            "TDFeWinCrypt. Erro ao abrir StoreName: My Location: 2 (");
}

TEST_F(CertStoreTest, ModuleThatCannotBeLoaded) {
  UseModule("/nao/existe/modulo.so");
  const std::string failure = FailureOf([&] { ssl->LerCertificadosStore(); });
  EXPECT_EQ(failure.substr(0, 96),
            "TDFeWinCrypt. Erro ao abrir StoreName: My Location: 2 (Falha ao carregar o módulo "
            "PKCS#11 /nao/");
  EXPECT_FALSE(store().StoreAberta());
}

TEST_F(CertStoreTest, ChooserShowsTheStoreAndLoadsTheChoice) {
  front.choice = token().Certificate("san").serial;
  EXPECT_EQ(ssl->SelecionarCertificado(), token().Certificate("san").serial);
  EXPECT_EQ(front.chooserTitle, "Selecione um Certificado");
  EXPECT_EQ(front.chooserPrompt, "Selecione o Certificado que deseja utilizar:");
  std::set<std::string> rows;
  for (const CertificateChoice& row : front.chooserRows) {
    rows.insert(row.numeroSerie);
    EXPECT_EQ(row.tokenLabel, TestToken::kLabel);
    EXPECT_EQ(row.dataVenc.size(), 10u);
    EXPECT_NE(row.subjectName.find("CN="), std::string::npos);
  }
  EXPECT_EQ(rows, SerialsOnToken());
  EXPECT_EQ(ssl->NumeroSerie(), token().Certificate("san").serial);
  EXPECT_TRUE(ssl->CertificadoLido());
  EXPECT_EQ(ssl->CertRazaoSocial(), "EMPRESA SAN LTDA");
}

TEST_F(CertStoreTest, CancelledChoiceLeavesNothingLoaded) {
  Load("empresa");
  front.choice.reset();
  EXPECT_EQ(ssl->SelecionarCertificado(), "");
  EXPECT_EQ(front.chooserCalls, 1);
  EXPECT_FALSE(ssl->CertificadoLido());
  EXPECT_FALSE(store().StoreAberta());

  // A second choice asks again; nothing of the first one is kept.
  front.choice = token().Certificate("empresa").serial;
  EXPECT_EQ(ssl->SelecionarCertificado(), token().Certificate("empresa").serial);
  EXPECT_EQ(front.chooserCalls, 2);
}

TEST_F(CertStoreTest, PfxWithRightAndWrongPassword) {
  const struct {
    const char* name;
    std::string password;
    std::string expected;
  } cases[] = {
      {"right password", std::string(TestToken::kPfxPassword), "(no failure)"},
      {"wrong password", "errada", "PFXDataToCertContextWinApi: Senha informada está errada"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ssl->SetArquivoPFX(token().PfxFile().string());
    ssl->SetSenha(c.password);
    EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }), c.expected);
  }
  ssl->SetSenha(std::string(TestToken::kPfxPassword));
  ssl->CarregarCertificado();
  EXPECT_EQ(ssl->CertNumeroSerie(), token().Certificate("a1").serial);
  EXPECT_EQ(ssl->CertCNPJ(), "11222333000181");
  EXPECT_EQ(ssl->CertTipo(), TSSLTipoCertificado::tpcA1);
  // The file's bytes became DadosPFX, and they are what other back-ends get.
  EXPECT_EQ(ssl->DadosPFX(), ReadFile(token().PfxFile()));
  EXPECT_EQ(ssl->SSLCryptClass().GetCertPFXData(), ReadFile(token().PfxFile()));
  EXPECT_EQ(Logins(), 0);
}

TEST_F(CertStoreTest, PfxFailures) {
  ssl->SetArquivoPFX("/nao/existe.pfx");
  EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }),
            "Arquivo: /nao/existe.pfx não encontrado");
  ssl->SetDadosPFX("isto não é um PFX");
  EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }),
            "PFXDataToCertContextWinApi: DadosPFX informado não são válidos");

  // A configured file that is there but cannot be read, or holds nothing, is named in the
  // failure; the run never falls through to the token's certificates (a serial is set too).
  std::filesystem::create_directories(m_dir / "pasta.pfx");
  WriteFile(m_dir / "vazio.pfx", "");
  WriteFile(m_dir / "trancado.pfx", ReadFile(token().PfxFile()));
  std::filesystem::permissions(m_dir / "trancado.pfx", std::filesystem::perms::none);
  const struct {
    std::filesystem::path file;
    std::string expected;
    bool skipAsRoot;  // root reads a file whatever its permissions
  } cases[] = {
      {m_dir / "pasta.pfx",
       "Não foi possível ler o arquivo: " + (m_dir / "pasta.pfx").string() + " (Is a directory)",
       false},
      {m_dir / "vazio.pfx", "PFXDataToCertContextWinApi: DadosPFX informado não são válidos",
       false},
      {m_dir / "trancado.pfx",
       "Não foi possível ler o arquivo: " + (m_dir / "trancado.pfx").string() +
           " (Permission denied)",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    if (c.skipAsRoot && geteuid() == 0) continue;
    ssl->SetNumeroSerie(token().Certificate("empresa").serial);
    ssl->SetArquivoPFX(c.file.string());
    EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }), c.expected);
    EXPECT_FALSE(ssl->CertificadoLido());
  }
}

TEST_F(CertStoreTest, TokenKeyCannotBeExported) {
  Load("empresa");
  EXPECT_THROW(ssl->SSLCryptClass().GetCertPFXData(), EDFeExceptionNoPrivateKey);
  EXPECT_EQ(FailureOf([&] { ssl->SSLCryptClass().GetCertPFXData(); }),
            "Certificado não permite Exportar Chave Privada.");
}

TEST_F(CertStoreTest, PublicCertificateFromBase64) {
  Load("ecpf");
  const std::string der64 = ssl->DadosCertificado().DERBase64();
  ssl->DescarregarCertificado();
  EXPECT_TRUE(ssl->CarregarCertificadoPublico(der64));
  EXPECT_EQ(ssl->CertCNPJ(), "52998224725");
  EXPECT_EQ(ssl->DadosCertificado().Tipo(), TSSLTipoCertificado::tpcDesconhecido);
  EXPECT_FALSE(ssl->CarregarCertificadoPublico("bm90IGEgY2VydGlmaWNhdGU="));
}

TEST_F(CertStoreTest, DocumentCnpjAgainstTheCertificate) {
  Load("empresa");
  const struct {
    const char* name;
    const char* documento;
    std::string expected;
  } cases[] = {
      {"same company, other branch", "12.345.678/0002-76", "(no failure)"},
      {"same CNPJ", "12345678000195", "(no failure)"},
      {"other company", "11222333000181",
       "O CNPJ do Documento é diferente do CNPJ do Certificado Digital"},
      {"wrong check digits", "12345678000100",
       "Erro CNPJ Documento: " + ValidarCNPJ("12345678000100")},
      {"not a CNPJ", "52998224725", "(no failure)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureOf([&] { ssl->ValidarCNPJCertificado(c.documento); }), c.expected);
  }
}

// The program's default: every token registered on the system, through the p11-kit proxy.
TEST_F(CertStoreTest, P11KitProxyReachesTheToken) {
  UseModule(TestToken::P11KitProxyModule());
  EXPECT_EQ(ListedSerials(), SerialsOnToken()) << "and nothing of the trust module";
}

}  // namespace
}  // namespace luvaro::test
