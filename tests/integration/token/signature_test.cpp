// Signatures made inside the token (and with a PFX key), checked by openssl.
#include <openssl/ssl.h>

#include "dfe/ssl/cert_context_int.h"
#include "tests/integration/token/token_test_support.h"

namespace luvaro::test {
namespace {

using SignatureTest = TokenTest;

TEST_F(SignatureTest, TokenSignaturesVerifyWithOpenssl) {
  const struct {
    TSSLDgst digest;
    const char* opensslName;
  } cases[] = {
      {TSSLDgst::dgstSHA1, "sha1"},
      {TSSLDgst::dgstSHA256, "sha256"},
      {TSSLDgst::dgstSHA512, "sha512"},
      {TSSLDgst::dgstMD4, "md4 -provider legacy -provider default"},  // a legacy algorithm
  };
  ssl->SetSenha(std::string(TestToken::kPin));
  Load("empresa");
  const std::string data = "<evtInfoEmpregador Id=\"ID1\">conteúdo</evtInfoEmpregador>";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.opensslName);
    const std::string signature =
        ssl->CalcHash(std::string_view(data), c.digest, TSSLHashOutput::outBinary, true);
    ASSERT_EQ(signature.size(), 256u);
    EXPECT_TRUE(OpensslVerifies(token().Certificate("empresa").pem, c.opensslName, data, signature,
                                m_dir.path()));
    EXPECT_TRUE(ssl->ValidarHash(std::string_view(data), c.digest, signature, true));
    EXPECT_FALSE(ssl->ValidarHash(std::string_view(data + " "), c.digest, signature, true));
  }
}

TEST_F(SignatureTest, SignatureOutputModes) {
  ssl->SetSenha(std::string(TestToken::kPin));
  Load("ecpf");
  const std::string data = "abc";
  const std::string hex =
      ssl->CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outHexa, true);
  EXPECT_EQ(hex.size(), 512u);
  EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  // PKCS#1 v1.5 is deterministic: the Base64 form is the same signature.
  const std::string b64 =
      ssl->CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outBase64, true);
  EXPECT_TRUE(ssl->ValidarHash(std::string_view(data), TSSLDgst::dgstSHA256, hex, true));
  EXPECT_TRUE(ssl->ValidarHash(std::string_view(data), TSSLDgst::dgstSHA256, b64, true));
}

TEST_F(SignatureTest, RipemdFailsBeforeTheToken) {
  ssl->SetSenha(std::string(TestToken::kPin));
  Load("empresa");
  EXPECT_EQ(FailureOf([&] {
              ssl->CalcHash(std::string_view("abc"), TSSLDgst::dgstRMD160, TSSLHashOutput::outHexa,
                            true);
            }),
            "Digest dgstRMD160 não suportado em TDFeWinCrypt");
}

TEST_F(SignatureTest, PfxKeySignsToo) {
  ssl->SetArquivoPFX(token().PfxFile().string());
  ssl->SetSenha(std::string(TestToken::kPfxPassword));
  const std::string data = "dados";
  const struct {
    TSSLDgst digest;
    const char* opensslName;
  } cases[] = {
      {TSSLDgst::dgstSHA256, "sha256"},
      {TSSLDgst::dgstMD4, "md4 -provider legacy -provider default"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.opensslName);
    const std::string signature =
        ssl->CalcHash(std::string_view(data), c.digest, TSSLHashOutput::outBinary, true);
    EXPECT_TRUE(OpensslVerifies(token().Certificate("a1").pem, c.opensslName, data, signature,
                                m_dir.path()));
    EXPECT_TRUE(ssl->ValidarHash(std::string_view(data), c.digest, signature, true));
  }
}

// A key the token cannot hand over: the key failure with the token's return value
// (CKR_DEVICE_ERROR).
TEST_F(SignatureTest, KeyFailureCarriesTheTokensReturnValue) {
  UseFaultyModule("keys");
  ssl->SetSenha(std::string(TestToken::kPin));
  Load("empresa");
  const std::string failure = FailureOf([&] {
    ssl->CalcHash(std::string_view("abc"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary, true);
  });
  EXPECT_TRUE(failure.starts_with("O recipiente da chave não pôde ser aberto")) << failure;
  EXPECT_TRUE(failure.ends_with(" , erro: $00000030")) << failure;
}

// What the TLS transport does with the context: install certificate and token key.
TEST_F(SignatureTest, ContextKeyWorksInATlsContext) {
  front.pins = {std::string(TestToken::kPin)};
  Load("empresa");
  const CertContext* context = ssl->CertContextWinApi();
  ASSERT_NE(context, nullptr);
  ASSERT_NE(context->privateKey, nullptr);
  SslCtxPtr tls(SSL_CTX_new(TLS_client_method()));
  ASSERT_TRUE(tls);
  EXPECT_EQ(SSL_CTX_use_certificate(tls.get(), context->certificate.get()), 1);
  EXPECT_EQ(SSL_CTX_use_PrivateKey(tls.get(), context->privateKey.get()), 1);
  EXPECT_EQ(SSL_CTX_check_private_key(tls.get()), 1);

  // And the key signs inside the token: a signature made with it directly verifies.
  EvpMdCtxPtr md(EVP_MD_CTX_new());
  const std::string data = "handshake";
  std::size_t length = 0;
  ASSERT_EQ(EVP_DigestSignInit(md.get(), nullptr, EVP_sha256(), nullptr, context->privateKey.get()),
            1);
  ASSERT_EQ(EVP_DigestSign(md.get(), nullptr, &length,
                           reinterpret_cast<const unsigned char*>(data.data()), data.size()),
            1);
  std::string signature(length, '\0');
  ASSERT_EQ(EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                           reinterpret_cast<const unsigned char*>(data.data()), data.size()),
            1);
  signature.resize(length);
  EXPECT_TRUE(
      OpensslVerifies(token().Certificate("empresa").pem, "sha256", data, signature, m_dir.path()));
  EXPECT_EQ(front.pinRequests.size(), 1u);
}

TEST_F(SignatureTest, ThroughTheP11KitProxy) {
  UseModule(TestToken::P11KitProxyModule());
  ssl->SetSenha(std::string(TestToken::kPin));
  Load("san");
  const std::string data = "via proxy";
  const std::string signature =
      ssl->CalcHash(std::string_view(data), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary, true);
  EXPECT_TRUE(
      OpensslVerifies(token().Certificate("san").pem, "sha256", data, signature, m_dir.path()));
}

}  // namespace
}  // namespace luvaro::test
