// The key calls of the Windows store one by one: the PIN verdicts and provider texts (tables),
// the process-wide PIN state, a software key left alone by the PIN hand-over, and a CNG key
// (Wine's store cannot reach CNG keys, so the key is imported into CNG directly) signing as
// openssl signs.

#include <gtest/gtest.h>

#include <vector>

#include "dfe/platform/windows/certificate_int.h"
#include "dfe/platform/windows/crypto_int.h"
#include "dfe/platform/windows/token_environment.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/support/store_import.h"

namespace luvaro::test {
namespace {

TEST(RespostaPINTest, VerdictsOfTheResultCodes) {
  const struct {
    unsigned long code;
    RespostaPIN expected;
  } cases[] = {
      {0, RespostaPIN::Aceito},
      {1008, RespostaPIN::Aceito},             // ERROR_NO_TOKEN
      {0x8010006BUL, RespostaPIN::Errado},     // SCARD_W_WRONG_CHV
      {0x8010006CUL, RespostaPIN::Bloqueado},  // SCARD_W_CHV_BLOCKED
      {0x80090016UL, RespostaPIN::Outro},      // NTE_BAD_KEYSET
      {0x8010006EUL, RespostaPIN::Outro},      // SCARD_W_CANCELLED_BY_USER
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(RespostaPINDe(c.code), c.expected);
  }
}

TEST(MensagemErroProvedorTest, TextsOfTheProviderCodes) {
  const struct {
    unsigned long code;
    const char* expected;
  } cases[] = {
      {0x80090019UL,
       "Provedor de Criptografia não encontrado. Verifique a configuração do Certificado"},
      {0x80090016UL, "O recipiente da chave não pôde ser aberto"},
      {0x8009001AUL, "Estrutura de Chave obtida no Provedor de Criptografia está corrompida"},
      {0x8009000DUL, "Falha em obter Provedor de Criptografia do Certificado. Erro: 8009000D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(MensagemErroProvedor(c.code), c.expected);
  }
}

TEST(TokenEnvironmentTest, PinListByWholeSerialAndRejectedPins) {
  TokenEnvironment env;
  env.PinListAdd("1A2B");
  EXPECT_TRUE(env.PinListContains("1A2B"));
  EXPECT_FALSE(env.PinListContains("2B")) << "a part of a serial is not the serial";
  env.PinListRemove("1A2B");
  EXPECT_FALSE(env.PinListContains("1A2B"));

  const SecureString errado("0000");
  EXPECT_FALSE(env.PinRecusado("chave-1", errado));
  env.RegistrarPinRecusado("chave-1", errado);
  EXPECT_TRUE(env.PinRecusado("chave-1", errado));
  EXPECT_FALSE(env.PinRecusado("chave-2", errado)) << "another key may take it";
  EXPECT_FALSE(env.PinRecusado("chave-1", SecureString("1234")));
}

// The certificate and key of a test PFX, imported into a memory store (not "My").
struct Importado {
  CertStorePtr store;
  CertPtr certificate;
};
Importado ImportarPFX(const std::string& name) {
  ConteudoPFX pfx = AbrirPFX(ReadFile(CertsDir() / (name + ".pfx")), "senha-pfx");
  return {std::move(pfx.store), std::move(pfx.certificate)};
}

TEST(ChaveTest, ASoftwareProviderKeepsNoPin) {
  const Importado a1 = ImportarPFX("a1");
  const ChaveCertificado chave = AdquirirChave(a1.certificate.get());
  ASSERT_TRUE(chave);
  EXPECT_FALSE(chave.Cng());
  EXPECT_EQ(ChaveEmHardware(chave), false);
  EXPECT_EQ(EntregarPIN(chave, SecureString("1234")), 0u) << "a software key is left alone";
}

// CAPI's PRIVATEKEYBLOB (little-endian numbers) as CNG's BCRYPT_RSAPRIVATE_BLOB (big-endian).
std::vector<BYTE> BlobCng(const std::vector<BYTE>& capi) {
  const auto* pub = reinterpret_cast<const RSAPUBKEY*>(capi.data() + sizeof(BLOBHEADER));
  const std::size_t n = pub->bitlen / 8;
  const std::size_t p = pub->bitlen / 16;
  const BYTE* modulus = capi.data() + sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
  const BYTE* prime1 = modulus + n;
  const BYTE* prime2 = prime1 + p;
  std::vector<BYTE> exponent;
  for (DWORD e = pub->pubexp; e != 0; e >>= 8) exponent.insert(exponent.begin(), BYTE(e & 0xFF));
  BCRYPT_RSAKEY_BLOB header{
      BCRYPT_RSAPRIVATE_MAGIC, pub->bitlen, ULONG(exponent.size()), ULONG(n), ULONG(p), ULONG(p)};
  std::vector<BYTE> blob(reinterpret_cast<BYTE*>(&header),
                         reinterpret_cast<BYTE*>(&header) + sizeof header);
  blob.insert(blob.end(), exponent.begin(), exponent.end());
  for (const auto& [start, size] : {std::pair{modulus, n}, {prime1, p}, {prime2, p}})
    blob.insert(blob.end(), std::make_reverse_iterator(start + size),
                std::make_reverse_iterator(start));
  return blob;
}

TEST(ChaveTest, ACngKeySignsAsOpensslSigns) {
  const Importado empresa = ImportarPFX("empresa");
  const ChaveCertificado capi = AdquirirChave(empresa.certificate.get());
  CryptKey chave;
  // Wine reports the key's KeySpec as 3; the key itself is one of the two.
  ASSERT_TRUE(CryptGetUserKey(capi.Provedor(), capi.KeySpec(), chave.put()) ||
              CryptGetUserKey(capi.Provedor(), AT_KEYEXCHANGE, chave.put()) ||
              CryptGetUserKey(capi.Provedor(), AT_SIGNATURE, chave.put()));
  DWORD size = 0;
  CryptExportKey(chave.get(), 0, PRIVATEKEYBLOB, 0, nullptr, &size);
  std::vector<BYTE> privada(size);
  ASSERT_TRUE(CryptExportKey(chave.get(), 0, PRIVATEKEYBLOB, 0, privada.data(), &size));
  const std::vector<BYTE> blob = BlobCng(privada);

  NcryptHandle provedor;
  ASSERT_EQ(NCryptOpenStorageProvider(provedor.put(), MS_KEY_STORAGE_PROVIDER, 0), ERROR_SUCCESS);
  NCRYPT_KEY_HANDLE cng = 0;
  ASSERT_EQ(NCryptImportKey(provedor.get(), 0, BCRYPT_RSAPRIVATE_BLOB, nullptr, &cng,
                            const_cast<BYTE*>(blob.data()), DWORD(blob.size()), 0),
            ERROR_SUCCESS);
  const ChaveCertificado chaveCng(cng, CERT_NCRYPT_KEY_SPEC, true);
  ASSERT_TRUE(chaveCng.Cng());

  const std::string dado = ReadFile(CertsDir() / "dado.txt");
  for (const auto& [digest, ext] : {std::pair{TSSLDgst::dgstSHA1, "sha1"},
                                    {TSSLDgst::dgstSHA256, "sha256"},
                                    {TSSLDgst::dgstSHA512, "sha512"}}) {
    SCOPED_TRACE(ext);
    const AlgoritmoHash algoritmo = ObterAlgoritmo(digest, "teste");
    const std::string assinatura =
        AssinarResumo(empresa.certificate.get(), chaveCng, algoritmo, Resumo(algoritmo, dado));
    EXPECT_EQ(assinatura, ReadFile(CertsDir() / (std::string("empresa.") + ext + ".sig")));
    EXPECT_TRUE(VerificarAssinaturaResumo(empresa.certificate.get(), algoritmo,
                                          Resumo(algoritmo, dado), assinatura));
  }
}

}  // namespace
}  // namespace luvaro::test
