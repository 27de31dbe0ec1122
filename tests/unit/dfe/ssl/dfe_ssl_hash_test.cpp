// Digests through the facade and the certificate-store back-end (no certificate needed).
#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro {
namespace {

using test::FailureOf;

bool OpenSslDefaultContextHasMd4() {
  EVP_MD* md = EVP_MD_fetch(nullptr, "MD4", nullptr);
  ERR_clear_error();
  const bool found = md != nullptr;
  EVP_MD_free(md);
  return found;
}

class DigestTest : public ::testing::Test {
 protected:
  DigestTest() { ssl.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt); }
  TDFeSSL ssl;
};

// Published digests of "abc" (FIPS 180, RFC 1321).
TEST_F(DigestTest, HexadecimalDigestsOfAbc) {
  const struct {
    TSSLDgst digest;
    const char* hex;
  } cases[] = {
      {TSSLDgst::dgstMD5, "900150983CD24FB0D6963F7D28E17F72"},
      {TSSLDgst::dgstSHA, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {TSSLDgst::dgstSHA1, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {TSSLDgst::dgstSHA256, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {TSSLDgst::dgstSHA512,
       "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3F"
       "E"
       "EBBD454D4423643CE80E2A9AC94FA54CA49F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NomeDgst(c.digest));
    EXPECT_EQ(ssl.CalcHash(std::string_view("abc"), c.digest), c.hex);
  }
}

TEST_F(DigestTest, OutputModes) {
  EXPECT_EQ(ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBase64),
            "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
  const std::string raw =
      ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary);
  ASSERT_EQ(raw.size(), 32u);
  EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0xBA);
  EXPECT_EQ(static_cast<unsigned char>(raw[31]), 0xAD);
}

TEST_F(DigestTest, StreamListAndFileForms) {
  const std::string abc = "abc";
  EXPECT_EQ(ssl.CalcHash(&abc, TSSLDgst::dgstSHA1), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  // A list of lines is hashed as saved: each line followed by CR LF.
  const std::string lines = "a\r\nb\r\n";
  EXPECT_EQ(ssl.CalcHash(std::vector<std::string>{"a", "b"}, TSSLDgst::dgstSHA256),
            ssl.CalcHash(std::string_view(lines), TSSLDgst::dgstSHA256));
  test::TempDir dir;
  test::WriteFile(dir / "abc.txt", "abc");
  EXPECT_EQ(ssl.CalcHashArquivo((dir / "abc.txt").string(), TSSLDgst::dgstMD5),
            "900150983CD24FB0D6963F7D28E17F72");
}

TEST_F(DigestTest, Failures) {
  const std::string empty;
  const struct {
    const char* name;
    std::function<void()> call;
    const char* expected;
  } cases[] = {
      {"no stream",
       [&] { ssl.CalcHash(static_cast<const std::string*>(nullptr), TSSLDgst::dgstSHA1); },
       "Stream inválido"},
      {"empty stream", [&] { ssl.CalcHash(&empty, TSSLDgst::dgstSHA1); }, "Stream vazio"},
      {"empty string", [&] { ssl.CalcHash(std::string_view(), TSSLDgst::dgstSHA1); },
       "Stream vazio"},
      {"ValidarHash without stream",
       [&] { ssl.ValidarHash(static_cast<const std::string*>(nullptr), TSSLDgst::dgstSHA1, "00"); },
       "Stream inválido"},
      {"ValidarHash empty stream",
       [&] { ssl.ValidarHash(std::string_view(), TSSLDgst::dgstSHA1, "00"); }, "Stream vazio"},
      {"ValidarHash empty hash",
       [&] { ssl.ValidarHash(std::string_view("abc"), TSSLDgst::dgstSHA1, ""); }, "Hash vazio"},
      {"RIPEMD-160", [&] { ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstRMD160); },
       "Digest dgstRMD160 não suportado em TDFeWinCrypt"},
      {"missing file", [&] { ssl.CalcHashArquivo("/nao/existe.txt", TSSLDgst::dgstSHA1); },
       "Arquivo: /nao/existe.txt não encontrado"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureOf(c.call), c.expected);
  }
}

// MD4 is one of OpenSSL 3's legacy algorithms (Debian's libssl3 carries the legacy provider);
// MD2 is left out of OpenSSL 3 builds and fails with the message naming it.
TEST_F(DigestTest, LegacyAlgorithms) {
  EXPECT_EQ(ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstMD4),
            "A448017AAF21D8525FC10AE87AA6729D");  // RFC 1320
  EXPECT_TRUE(ssl.ValidarHash(std::string_view("abc"), TSSLDgst::dgstMD4,
                              "A448017AAF21D8525FC10AE87AA6729D"));
  EXPECT_EQ(FailureOf([&] { ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstMD2); }),
            "O Provedor de Criptografia não suporta o algoritmo: dgstMD2");
  // The process's own library context still refuses MD4: the legacy provider was loaded into
  // a context of its own.
  EXPECT_FALSE(OpenSslDefaultContextHasMd4());
}

TEST_F(DigestTest, ValidarHashFindsTheDigestInTheGivenHash) {
  const std::string sha256Hex = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
  const std::string raw =
      ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary);
  std::string tampered = raw;
  tampered[5] = static_cast<char>(tampered[5] ^ 0x01);
  const struct {
    const char* name;
    std::string data;
    std::string hash;
    bool valid;
  } cases[] = {
      {"raw digest", "abc", raw, true},
      {"hexadecimal", "abc", sha256Hex, true},
      {"lower-case hexadecimal", "abc",
       "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", true},
      {"Base64", "abc", "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", true},
      {"tampered digest", "abc", tampered, false},
      {"other data", "abd", raw, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ssl.ValidarHash(std::string_view(c.data), TSSLDgst::dgstSHA256, c.hash), c.valid);
  }
}

}  // namespace
}  // namespace luvaro
