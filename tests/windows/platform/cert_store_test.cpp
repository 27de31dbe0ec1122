// The system certificate store under Wine: test certificates imported into the current user's
// "My" store, listed, chosen by serial number and used to sign. RSA PKCS #1 v1.5 signatures are
// deterministic, so each signature must equal the one openssl made with the same key
// (tests/windows/make-certs.sh); signed events are left for xmlsec1 (verify-signed.sh).

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/cert_store_cryptoapi.h"
#include "dfe/platform/windows/token_environment.h"
#include "dfe/platform/windows/windows_text.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/data_hora.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/support/store_import.h"

namespace luvaro::test {
namespace {

// The certificates whose common name carries the number (see SubjectAltNameUnderWine).
constexpr const char* kNoMy[] = {"empresa", "vencido"};
constexpr const char* kSenhaPfx = "senha-pfx";

template <class F>
std::string FailureOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no failure)";
}

class CertStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* name : kNoMy) ImportarNoMy(name);
    dir_ = std::make_unique<TempDir>("luvaro-store");
    CopySchemas(dir_->path() / "schemas");
  }
  static void TearDownTestSuite() {
    for (const char* name : kNoMy) RemoverDoMy(Certificate(name).serial);
    dir_.reset();
  }

  std::unique_ptr<TDFeSSL> Facade() {
    auto ssl = std::make_unique<TDFeSSL>();
    ssl->SetTokenEnv(&env);
    ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    ssl->SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    ssl->SetSSLDgst(TSSLDgst::dgstSHA256);
    return ssl;
  }
  // A facade whose certificate is `name`: from the store by serial number, or (a1) PFX bytes.
  std::unique_ptr<TDFeSSL> Signer(const std::string& name) {
    auto ssl = Facade();
    if (name == "a1") {
      ssl->SetDadosPFX(ReadFile(CertsDir() / "a1.pfx"));
      ssl->SetSenha(kSenhaPfx);
    } else {
      ssl->SetNumeroSerie(Certificate(name).serial);
    }
    return ssl;
  }

  TokenEnvironment env;  // outlives the facades
  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> CertStoreTest::dir_;

TEST_F(CertStoreTest, ListsTheCertificatesWithKeysAndTheirData) {
  const struct {
    const char* name;
    const char* razaoSocial;
    const char* cnpj;  // from the common name, or from the other names of the SAN
  } cases[] = {
      {"empresa", "EMPRESA TESTE LTDA", "12345678000195"},
      {"vencido", "EMPRESA VENCIDA LTDA", "11444777000161"},
  };
  auto ssl = Facade();
  ssl->LerCertificadosStore();
  auto& store = dynamic_cast<TDFeWinCrypt&>(ssl->SSLCryptClass());
  EXPECT_FALSE(store.StoreAberta()) << "a store opened for the listing is closed afterwards";
  const TListaCertificados& lista = ssl->ListaCertificados();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TestCertificate cert = Certificate(c.name);
    const TDadosCertificado* achado = nullptr;
    for (std::size_t i = 0; i < lista.Count(); ++i)
      if (lista[i].NumeroSerie() == cert.serial) achado = &lista[i];
    ASSERT_NE(achado, nullptr);
    EXPECT_EQ(achado->ThumbPrint(), cert.sha1);
    EXPECT_EQ(achado->RazaoSocial(), c.razaoSocial);
    EXPECT_EQ(achado->CNPJ(), c.cnpj);
    EXPECT_EQ(achado->Certificadora(), "AC LUVARO TESTE");
    EXPECT_NE(achado->SubjectName().find("O=ICP-Brasil"), std::string::npos)
        << achado->SubjectName();
    EXPECT_EQ(achado->Tipo(), TSSLTipoCertificado::tpcDesconhecido);
    EXPECT_FALSE(achado->DERBase64().empty());
  }
  for (std::size_t i = 0; i < lista.Count(); ++i)
    EXPECT_NE(lista[i].NumeroSerie(), Certificate("semchave").serial) << "not imported";
}

TEST_F(CertStoreTest, LoadsBySerialNumber) {
  auto ssl = Facade();
  // The serial as some viewers show it, with a sign byte in front.
  ssl->SetNumeroSerie("00" + Certificate("vencido").serial);
  EXPECT_EQ(ssl->CertNumeroSerie(), Certificate("vencido").serial);
  EXPECT_EQ(ssl->CertCNPJ(), "11444777000161");
  EXPECT_EQ(ssl->CertTipo(), TSSLTipoCertificado::tpcA1) << "a key in a software provider";
  const DateTimeParts venc = decodeDateTime(ssl->CertDataVenc());
  EXPECT_TRUE((venc.year == 2020 && venc.month == 1) || (venc.year == 2019 && venc.month == 12))
      << venc.year << "-" << venc.month;
  auto& store = dynamic_cast<TDFeWinCrypt&>(ssl->SSLCryptClass());
  EXPECT_TRUE(store.StoreAberta()) << "the store stays open while its certificate is loaded";
  ssl->DescarregarCertificado();
  EXPECT_FALSE(store.StoreAberta());
}

TEST_F(CertStoreTest, LoadingFailures) {
  const std::string ausente = CertsDir().string() + "\\nao-existe.pfx";
  // A PFX file that exists but cannot be read (here a folder): named with the system's reason,
  // never taken for an empty file.
  const std::string pasta = CertsDir().string() + "\\assinados";
  const struct {
    const char* name;
    std::function<void(TDFeSSL&)> set;
    std::string expected;
  } cases[] = {
      {"unknown serial", [](TDFeSSL& s) { s.SetNumeroSerie("ABCDEF"); },
       "Certificado \"ABCDEF\" não encontrado!"},
      {"nothing given", [](TDFeSSL&) {}, "DadosPFX, ArquivoPFX ou NumeroSerie não especificados !"},
      {"PFX file missing", [&](TDFeSSL& s) { s.SetArquivoPFX(ausente); },
       "Arquivo: " + ausente + " não encontrado"},
      {"PFX file that cannot be read", [&](TDFeSSL& s) { s.SetArquivoPFX(pasta); },
       "Não foi possível ler o arquivo: " + pasta + " (" + SystemMessage(ERROR_ACCESS_DENIED) +
           ")"},
      {"not PFX bytes", [](TDFeSSL& s) { s.SetDadosPFX("isto não é um PFX"); },
       "PFXDataToCertContextWinApi: DadosPFX informado não são válidos"},
      {"wrong password",
       [](TDFeSSL& s) {
         s.SetDadosPFX(ReadFile(CertsDir() / "a1.pfx"));
         s.SetSenha("errada");
       },
       "PFXDataToCertContextWinApi: Senha informada está errada"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ssl = Facade();
    c.set(*ssl);
    EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificado(); }), c.expected);
    EXPECT_FALSE(ssl->CertificadoLido());
  }
}

TEST_F(CertStoreTest, SignaturesEqualOpenssls) {
  const std::string dado = ReadFile(CertsDir() / "dado.txt");
  const struct {
    TSSLDgst digest;
    const char* ext;
  } digests[] = {{TSSLDgst::dgstSHA1, "sha1"},
                 {TSSLDgst::dgstSHA256, "sha256"},
                 {TSSLDgst::dgstSHA512, "sha512"}};
  for (const char* name : {"empresa", "a1"}) {
    SCOPED_TRACE(name);
    auto ssl = Signer(name);
    for (const auto& d : digests) {
      SCOPED_TRACE(d.ext);
      const std::string esperada =
          ReadFile(CertsDir() / (std::string(name) + "." + d.ext + ".sig"));
      const std::string assinatura =
          ssl->CalcHash(std::string_view(dado), d.digest, TSSLHashOutput::outBinary, true);
      EXPECT_EQ(HexUpper(assinatura), HexUpper(esperada));
      EXPECT_TRUE(ssl->ValidarHash(std::string_view(dado), d.digest, esperada, true));
      EXPECT_FALSE(ssl->ValidarHash(std::string_view(dado + "."), d.digest, esperada, true));
    }
  }
}

TEST_F(CertStoreTest, APublicCertificateHasNoKeyToSignWith) {
  auto ssl = Facade();
  ASSERT_TRUE(ssl->CarregarCertificadoPublico(Base64Encode(ReadFile(CertsDir() / "semchave.der"))));
  EXPECT_EQ(ssl->CertRazaoSocial(), "CERTIFICADO SEM CHAVE");
  const std::string falha = FailureOf([&] {
    ssl->CalcHash(std::string_view("x"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary, true);
  });
  EXPECT_NE(falha.find(" , erro: $"), std::string::npos) << falha;
  EXPECT_FALSE(ssl->CarregarCertificadoPublico("não é Base64"));
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// A common name without the number: the CNPJ (or an e-CPF's CPF) comes from the ICP-Brasil
// other names of the Subject Alternative Name. Wine 8.0's CryptDecodeObjectEx cannot decode a
// SAN that holds other names (CRYPT_E_ASN1_BADTAG, 8009310B); there the failure must be the
// program's text for it.
TEST_F(CertStoreTest, NumberFromTheSubjectAltName) {
  const struct {
    const char* name;
    const char* numero;
  } cases[] = {{"san", "11222333000181"}, {"ecpf", "52998224725"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ssl = Facade();
    const std::string der = Base64Encode(ReadFile(CertsDir() / (std::string(c.name) + ".der")));
    if (UnderWine()) {
      EXPECT_EQ(FailureOf([&] { ssl->CarregarCertificadoPublico(der); }),
                "GetCertExtensionName: Falha ao executar \"CryptDecodeObject\". Erro:8009310B");
    } else {
      ASSERT_TRUE(ssl->CarregarCertificadoPublico(der));
      EXPECT_EQ(ssl->CertCNPJ(), c.numero);
    }
  }
}

// Events of both systems signed with a store key and with a PFX key: checked here against the
// schemas and by the program's own verification, and left in assinados/ for xmlsec1.
TEST_F(CertStoreTest, SignedEventsForXmlsec) {
  const struct {
    const char* file;
    const char* schema;
    const char* root;
    const char* infElement;
    const char* IdAttr;
    const char* idAttrOption;  // xmlsec1's --id-attr for an "id" reference, or nothing
  } eventos[] = {
      {"esocial-v02_05_00-evtAdmPrelim.xml", "evtAdmPrelim-v02_05_00.xsd", "eSocial",
       "evtAdmPrelim", "ID", nullptr},
      {"reinf-v1_04_00-evtInfoContri.xml", "evtInfoContribuinte-v1_04_00.xsd", "Reinf",
       "evtInfoContri", "id",
       "http://www.reinf.esocial.gov.br/schemas/evtInfoContribuinte/v1_04_00:evtInfoContri"},
  };
  const auto fixtures = std::filesystem::path(LUVARO_SOURCE_DIR) / "tests/fixtures/xmlsign";
  for (const char* name : {"empresa", "a1"}) {
    SCOPED_TRACE(name);
    auto ssl = Signer(name);
    for (const auto& e : eventos) {
      SCOPED_TRACE(e.file);
      const std::string assinado =
          ssl->Assinar(ReadFile(fixtures / e.file), e.root, e.infElement, "", "", "", e.IdAttr);
      std::string msg;
      EXPECT_TRUE(ssl->Validar(assinado, (dir_->path() / "schemas" / e.schema).string(), msg))
          << msg;
      EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, e.infElement)) << msg;
      const auto destino = CertsDir() / "assinados" / (std::string(name) + "." + e.file);
      WriteFile(destino, assinado);
      if (e.idAttrOption != nullptr) WriteFile(destino.string() + ".idattr", e.idAttrOption);
    }
  }
}

}  // namespace
}  // namespace luvaro::test
