// The server identity's pieces that need no server: the verification results and their
// faults, the user's texts, the WinHTTP codes, the reading of cadeias/, and the authority the
// program ships, checked against the fingerprint its provenance note states.

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "dfe/raii/curl_server_identity.h"
#include "dfe/ssl/http_curl_int.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

const fs::path kShared = LUVARO_SHARED_CADEIAS;
const fs::path kShipped = LUVARO_CADEIAS_BUILD_DIR;
constexpr const char* kRaiz = "icp-brasil-raiz-v10.pem";

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ServerIdentity, EachVerificationResultHasItsFault) {
  struct Row {
    const char* name;
    long result;
    ServerIdentityFault fault;
  };
  const Row rows[] = {
      {"issuer unknown", X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY,
       ServerIdentityFault::UntrustedAuthority},
      {"self-signed", X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT,
       ServerIdentityFault::UntrustedAuthority},
      {"untrusted root sent along", X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN,
       ServerIdentityFault::UntrustedAuthority},
      {"expired", X509_V_ERR_CERT_HAS_EXPIRED, ServerIdentityFault::Expired},
      {"not yet valid", X509_V_ERR_CERT_NOT_YET_VALID, ServerIdentityFault::NotYetValid},
      {"host name", X509_V_ERR_HOSTNAME_MISMATCH, ServerIdentityFault::NameMismatch},
      {"IP address", X509_V_ERR_IP_ADDRESS_MISMATCH, ServerIdentityFault::NameMismatch},
      {"revoked", X509_V_ERR_CERT_REVOKED, ServerIdentityFault::Revoked},
      {"bad signature", X509_V_ERR_CERT_SIGNATURE_FAILURE, ServerIdentityFault::Invalid},
      {"wrong purpose", X509_V_ERR_INVALID_PURPOSE, ServerIdentityFault::Invalid},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FaultOfVerifyResult(row.result), row.fault);
  }
}

TEST(ServerIdentity, EachFaultHasItsTextAndAWinHttpCodeNoWorkerPatternSinglesOut) {
  struct Row {
    ServerIdentityFault fault;
    const char* detail;
    const char* message;
    int code;
  };
  const Row rows[] = {
      {ServerIdentityFault::UntrustedAuthority, "",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor não foi emitido por uma autoridade confiável.",
       12045},
      {ServerIdentityFault::Expired, "",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor está vencido.",
       12037},
      {ServerIdentityFault::NotYetValid, "",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor ainda não é válido.",
       12037},
      {ServerIdentityFault::NameMismatch, "",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor foi emitido para outro nome.",
       12038},
      {ServerIdentityFault::Revoked, "",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor foi revogado.",
       12170},
      {ServerIdentityFault::Invalid, "certificate signature failure",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: o certificado do "
       "servidor não pôde ser verificado (certificate signature failure).",
       12169},
      {ServerIdentityFault::AnchorFile, "/app/cadeias/x.pem: vazio",
       "Não foi possível confirmar a identidade do servidor webservices.gov.br: não foi possível "
       "ler as autoridades confiáveis da pasta cadeias (/app/cadeias/x.pem: vazio).",
       12169},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(MensagemIdentidadeServidor("webservices.gov.br",
                                         MotivoIdentidadeServidor(row.fault, row.detail)),
              row.message);
    EXPECT_EQ(winHttpCodeFor(row.fault), row.code);
    for (const int singledOut : {12002, 12175, 12186}) EXPECT_NE(row.code, singledOut);
  }
  EXPECT_EQ(AvisoServidorNaoVerificado("webservices.gov.br"),
            "ATENÇÃO: identidade do servidor webservices.gov.br não verificada.");
}

TEST(ServerIdentity, OnlyZeroTurnsTheCheckOff) {
  EXPECT_TRUE(VerificarServidorDoValor(nullptr));
  EXPECT_TRUE(VerificarServidorDoValor("1"));
  EXPECT_TRUE(VerificarServidorDoValor(""));
  EXPECT_TRUE(VerificarServidorDoValor("nao"));
  EXPECT_FALSE(VerificarServidorDoValor("0"));
}

TEST(ServerIdentity, CadeiasGivesEveryCertificateOfEveryPemFile) {
  test::TempDir dir("luvaro-cadeias");
  EXPECT_EQ(TrustAnchors::FromFolder(dir / "ausente").Count(), 0u);
  EXPECT_EQ(TrustAnchors::FromFolder({}).Count(), 0u);

  const std::string raiz = Read(kShared / kRaiz);
  const fs::path cadeias = dir / "cadeias";
  fs::create_directories(cadeias);
  test::WriteFile(cadeias / "raiz.pem", raiz);
  test::WriteFile(cadeias / "DUAS.PEM", raiz + raiz);  // a bundle, letter case of the name aside
  test::WriteFile(cadeias / "LEIA-ME.txt", "not read");
  fs::create_directories(cadeias / "sub.pem");  // a folder is no file
  EXPECT_EQ(TrustAnchors::FromFolder(cadeias).Count(), 3u);

  struct Row {
    const char* name;
    std::string content;
  };
  const Row broken[] = {
      {"empty", ""},
      {"DER instead of PEM", std::string("\x30\x82\x01\x0a", 4)},
      {"a bad certificate after a good one", raiz + "-----BEGIN CERTIFICATE-----\nAAAA\n"},
  };
  for (const auto& row : broken) {
    SCOPED_TRACE(row.name);
    test::WriteFile(cadeias / "ruim.pem", row.content);
    try {
      TrustAnchors::FromFolder(cadeias);
      ADD_FAILURE() << "read";
    } catch (const EServerIdentity& failure) {
      EXPECT_EQ(failure.Failure().fault, ServerIdentityFault::AnchorFile);
      EXPECT_NE(failure.Failure().detail.find((cadeias / "ruim.pem").string()), std::string::npos)
          << failure.what();
    }
  }
}

TEST(ServerIdentity, TheShippedRootIsTheOneItsProvenanceNoteNames) {
  // The fingerprint the note states for the file.
  const std::string note = Read(kShared / "README.md");
  std::smatch found;
  ASSERT_TRUE(std::regex_search(
      note, found,
      std::regex(std::string("`") + kRaiz + "`[^\\n]*\\| *([0-9A-F]{2}(:[0-9A-F]{2}){31}) *\\|")))
      << "no fingerprint for " << kRaiz;
  const std::string stated = found[1];

  // The file beside the executable, as the build laid it out.
  const fs::path shipped = kShipped / kRaiz;
  ASSERT_TRUE(fs::exists(shipped)) << shipped;
  EXPECT_EQ(TrustAnchors::FromFolder(kShipped).Count(), 1u);
  const BioPtr bio(BIO_new_file(shipped.c_str(), "r"));
  ASSERT_TRUE(bio);
  const X509Ptr root(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  ASSERT_TRUE(root);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  ASSERT_EQ(X509_digest(root.get(), EVP_sha256(), digest, &length), 1);
  std::string computed;
  for (unsigned int i = 0; i < length; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : ":%02X", digest[i]);
    computed += hex;
  }
  EXPECT_EQ(computed, stated);
  // Self-signed: a root, as cadeias/ needs.
  EXPECT_EQ(X509_check_issued(root.get(), root.get()), X509_V_OK);
}

}  // namespace
}  // namespace luvaro
