// Digests with CNG and Base64 with CryptoAPI through the facade (no certificate needed).
#include <gtest/gtest.h>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"

namespace luvaro {
namespace {

class DigestTest : public ::testing::Test {
 protected:
  DigestTest() { ssl.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt); }
  TDFeSSL ssl;
};

// Published digests of "abc" (RFC 1319, RFC 1320, RFC 1321, FIPS 180).
TEST_F(DigestTest, HexadecimalDigestsOfAbc) {
  const struct {
    TSSLDgst digest;
    const char* hex;
  } cases[] = {
      {TSSLDgst::dgstMD2, "DA853B0D3F88D99B30283A69E6DED6BB"},
      {TSSLDgst::dgstMD4, "A448017AAF21D8525FC10AE87AA6729D"},
      {TSSLDgst::dgstMD5, "900150983CD24FB0D6963F7D28E17F72"},
      {TSSLDgst::dgstSHA, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {TSSLDgst::dgstSHA1, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {TSSLDgst::dgstSHA256, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {TSSLDgst::dgstSHA512,
       "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3F"
       "EEBBD454D4423643CE80E2A9AC94FA54CA49F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NomeDgst(c.digest));
    EXPECT_EQ(ssl.CalcHash(std::string_view("abc"), c.digest), c.hex);
  }
}

// The digest made by `openssl dgst` of a text longer than one hashing block.
TEST_F(DigestTest, LongInput) {
  const std::string longo(100000, 'a');
  EXPECT_EQ(ssl.CalcHash(std::string_view(longo), TSSLDgst::dgstSHA256),
            "6D1CF22D7CC09B085DFC25EE1A1F3AE0265804C607BC2074AD253BCC82FD81EE")
      << "openssl: printf 'a%.0s' {1..100000} | openssl dgst -sha256";
}

TEST_F(DigestTest, OutputModesAndCheck) {
  EXPECT_EQ(ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBase64),
            "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
  const std::string raw =
      ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary);
  ASSERT_EQ(raw.size(), 32u);
  EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0xBA);
  EXPECT_TRUE(ssl.ValidarHash(std::string_view("abc"), TSSLDgst::dgstSHA256, raw));
  EXPECT_FALSE(ssl.ValidarHash(std::string_view("abd"), TSSLDgst::dgstSHA256, raw));
}

TEST_F(DigestTest, Rmd160IsRefusedByName) {
  try {
    ssl.CalcHash(std::string_view("abc"), TSSLDgst::dgstRMD160);
    FAIL() << "no failure";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(), "Digest dgstRMD160 não suportado em TDFeWinCrypt");
  }
}

// Base64 through CryptoAPI, against RFC 4648's vectors.
TEST(Base64Test, Rfc4648Vectors) {
  const struct {
    const char* bytes;
    const char* text;
  } cases[] = {{"", ""},
               {"f", "Zg=="},
               {"fo", "Zm8="},
               {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Base64Encode(c.bytes), c.text);
    EXPECT_EQ(Base64Decode(c.text), std::string(c.bytes));
  }
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9v!"), std::nullopt);
  EXPECT_EQ(Base64Encode(std::string(3000, 'x')).find_first_of("\r\n"), std::string::npos);
}

}  // namespace
}  // namespace luvaro
