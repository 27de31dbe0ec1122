#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/ssl_backends.h"

namespace luvaro::test {

// An RSA key with a self-signed certificate, made in memory with OpenSSL for one test program.
struct SoftwareKey {
  std::string certPem;
  std::string keyPem;
  std::string certDerBase64;  // the certificate as X509Certificate must carry it
};
SoftwareKey MakeSoftwareKey(std::string_view commonName = "EMPRESA TESTE LTDA:12345678000195");
// The key every test of this program signs with (made on first use).
const SoftwareKey& SharedKey();

// A crypto back-end that signs with a software key held in memory, for tests that need no
// token: digests and RSA PKCS #1 v1.5 signatures with OpenSSL, the public certificate of a
// signature for verification.
class SoftwareKeyCrypt final : public TDFeSSLCryptClass {
 public:
  SoftwareKeyCrypt(TDFeSSL& owner, const SoftwareKey& key);
  ~SoftwareKeyCrypt() override;

  std::string CalcHash(std::string_view data, TSSLDgst Digest, bool Assina) override;
  bool ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                   bool Assinado) override;
  void CarregarCertificado() override;
  void DescarregarCertificado() override;
  bool CarregarCertificadoPublico(const std::string& DadosX509Base64) override;
  std::string ClassName() const override { return "SoftwareKeyCrypt"; }

  int Descarregamentos() const { return m_descarregamentos; }
  int Assinaturas() const { return m_assinaturas; }

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  int m_descarregamentos = 0;
  int m_assinaturas = 0;
};

// A facade set up as the protocol components set it for signing: libxml2 signatures, SHA-256,
// and the given software key.
std::unique_ptr<TDFeSSL> MakeFacade(const SoftwareKey& key, TSSLDgst digest = TSSLDgst::dgstSHA256);

// The event documents in tests/fixtures/xmlsign, with how each system signs them.
struct EventFixture {
  std::string file;         // in tests/fixtures/xmlsign
  std::string schema;       // XSD file name in the schemas folder
  std::string infElement;   // the event element
  std::string IdAttr;       // "ID" (eSocial: whole document) or "id" (EFD-Reinf: the event)
  std::string id;           // the event's identifier
  std::string idNamespace;  // the event element's namespace
};
const std::vector<EventFixture>& EventFixtures();
std::filesystem::path FixturesDir();
std::string ReadFixture(std::string_view name);

// Counts the non-overlapping occurrences of `needle`.
std::size_t Occurrences(std::string_view text, std::string_view needle);

// The ways an ERP document may open before its root element: each spelling of the XML
// declaration (quotes, letter case of the encoding, standalone, another encoding, a byte-order
// mark, blanks and line breaks around it) and no declaration at all.
struct AberturaDocumento {
  const char* nome;
  std::string texto;  // what stands before the root element
};
const std::vector<AberturaDocumento>& AberturasDocumento();

}  // namespace luvaro::test
