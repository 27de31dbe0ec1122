#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

#include <stdexcept>

#include <openssl/pem.h>
#include <openssl/rsa.h>

#include "dfe/dfe_exception.h"
#include "dfe/raii/openssl.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

namespace {

using Asn1IntegerPtr = std::unique_ptr<ASN1_INTEGER, CFree<&ASN1_INTEGER_free>>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("OpenSSL: ") + what);
}

std::string BioText(BIO* bio) {
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<std::size_t>(size));
}

std::string Base64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string Unbase64(std::string_view text) {
  std::string clean;
  for (char c : text)
    if (c != ' ' && c != '\r' && c != '\n' && c != '\t') clean += c;
  if (clean.empty() || clean.size() % 4 != 0) return {};
  std::string out(clean.size() / 4 * 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(clean.data()),
                                static_cast<int>(clean.size()));
  if (n < 0) return {};
  std::size_t size = static_cast<std::size_t>(n);
  if (clean.ends_with("=="))
    size -= 2;
  else if (clean.ends_with("="))
    size -= 1;
  out.resize(size);
  return out;
}

const EVP_MD* Md(TSSLDgst digest) {
  switch (digest) {
    case TSSLDgst::dgstSHA1:
      return EVP_sha1();
    case TSSLDgst::dgstSHA256:
      return EVP_sha256();
    case TSSLDgst::dgstSHA512:
      return EVP_sha512();
    case TSSLDgst::dgstMD5:
      return EVP_md5();
    default:
      throw EDFeException("digest não suportado pela chave de teste");
  }
}

}  // namespace

SoftwareKey MakeSoftwareKey(std::string_view commonName) {
  EvpPkeyPtr key(EVP_RSA_gen(2048));
  Check(key != nullptr, "EVP_RSA_gen");
  X509Ptr cert(X509_new());
  Check(cert != nullptr, "X509_new");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 0x1234ABCD);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600L * 24 * 365);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("BR"),
                             -1, -1, 0);
  const std::string cn(commonName);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  X509_set_pubkey(cert.get(), key.get());
  Check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "X509_sign");

  SoftwareKey result;
  BioPtr certBio(BIO_new(BIO_s_mem()));
  Check(PEM_write_bio_X509(certBio.get(), cert.get()) == 1, "PEM_write_bio_X509");
  result.certPem = BioText(certBio.get());
  BioPtr keyBio(BIO_new(BIO_s_mem()));
  Check(
      PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
      "PEM_write_bio_PrivateKey");
  result.keyPem = BioText(keyBio.get());
  unsigned char* der = nullptr;
  const int derSize = i2d_X509(cert.get(), &der);
  Check(derSize > 0, "i2d_X509");
  result.certDerBase64 = Base64(std::string_view(reinterpret_cast<char*>(der), derSize));
  OPENSSL_free(der);
  return result;
}

const SoftwareKey& SharedKey() {
  static const SoftwareKey key = MakeSoftwareKey();
  return key;
}

struct SoftwareKeyCrypt::Impl {
  EvpPkeyPtr key;
  X509Ptr cert;
  std::string certDerBase64;
  X509Ptr publico;  // the certificate of a signature being verified
};

SoftwareKeyCrypt::SoftwareKeyCrypt(TDFeSSL& owner, const SoftwareKey& key)
    : TDFeSSLCryptClass(owner), m_impl(std::make_unique<Impl>()) {
  BioPtr keyBio(BIO_new_mem_buf(key.keyPem.data(), static_cast<int>(key.keyPem.size())));
  m_impl->key.reset(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
  BioPtr certBio(BIO_new_mem_buf(key.certPem.data(), static_cast<int>(key.certPem.size())));
  m_impl->cert.reset(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
  Check(m_impl->key && m_impl->cert, "PEM_read_bio");
  m_impl->certDerBase64 = key.certDerBase64;
}

SoftwareKeyCrypt::~SoftwareKeyCrypt() = default;

std::string SoftwareKeyCrypt::CalcHash(std::string_view data, TSSLDgst Digest, bool Assina) {
  const EVP_MD* md = Md(Digest);
  if (!Assina) {
    std::string out(static_cast<std::size_t>(EVP_MD_get_size(md)), '\0');
    unsigned int size = 0;
    Check(EVP_Digest(data.data(), data.size(), reinterpret_cast<unsigned char*>(out.data()), &size,
                     md, nullptr) == 1,
          "EVP_Digest");
    return out;
  }
  if (!FpCertificadoLido) CarregarCertificado();
  ++m_assinaturas;
  EvpMdCtxPtr ctx(EVP_MD_CTX_new());
  Check(EVP_DigestSignInit(ctx.get(), nullptr, md, nullptr, m_impl->key.get()) == 1,
        "EVP_DigestSignInit");
  std::size_t size = 0;
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  Check(EVP_DigestSign(ctx.get(), nullptr, &size, in, data.size()) == 1, "EVP_DigestSign");
  std::string out(size, '\0');
  Check(EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &size, in,
                       data.size()) == 1,
        "EVP_DigestSign");
  out.resize(size);
  return out;
}

bool SoftwareKeyCrypt::ValidarHash(std::string_view data, TSSLDgst Digest, std::string_view Hash,
                                   bool Assinado) {
  if (!Assinado) return CalcHash(data, Digest, false) == Hash;
  X509* cert = m_impl->publico ? m_impl->publico.get() : m_impl->cert.get();
  EvpMdCtxPtr ctx(EVP_MD_CTX_new());
  Check(EVP_DigestVerifyInit(ctx.get(), nullptr, Md(Digest), nullptr, X509_get0_pubkey(cert)) == 1,
        "EVP_DigestVerifyInit");
  return EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(Hash.data()),
                          Hash.size(), reinterpret_cast<const unsigned char*>(data.data()),
                          data.size()) == 1;
}

void SoftwareKeyCrypt::CarregarCertificado() {
  FpDadosCertificado->SetNumeroSerie("1234ABCD");
  FpDadosCertificado->SetDERBase64(m_impl->certDerBase64);
  FpCertificadoLido = true;
}

void SoftwareKeyCrypt::DescarregarCertificado() {
  ++m_descarregamentos;
  m_impl->publico.reset();
  TDFeSSLCryptClass::DescarregarCertificado();
}

bool SoftwareKeyCrypt::CarregarCertificadoPublico(const std::string& DadosX509Base64) {
  const std::string der = Unbase64(DadosX509Base64);
  const auto* p = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!cert) return false;
  m_impl->publico = std::move(cert);
  FpDadosCertificado->SetDERBase64(DadosX509Base64);
  FpCertificadoLido = true;
  return true;
}

std::unique_ptr<TDFeSSL> MakeFacade(const SoftwareKey& key, TSSLDgst digest) {
  auto ssl = std::make_unique<TDFeSSL>();
  ssl->SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  ssl->SetSSLDgst(digest);
  ssl->SetSSLCryptClass(std::make_unique<SoftwareKeyCrypt>(*ssl, key));
  return ssl;
}

const std::vector<EventFixture>& EventFixtures() {
  static const std::vector<EventFixture> fixtures = {
      {"esocial-v02_05_00-evtAdmPrelim.xml", "evtAdmPrelim-v02_05_00.xsd", "evtAdmPrelim", "ID",
       "ID1123456780001952024030112000000001",
       "http://www.esocial.gov.br/schema/evt/evtAdmPrelim/v02_05_00"},
      {"esocial-v02_05_00-evtFechaEvPer.xml", "evtFechaEvPer-v02_05_00.xsd", "evtFechaEvPer", "ID",
       "ID1123456780001952024040110300000002",
       "http://www.esocial.gov.br/schema/evt/evtFechaEvPer/v02_05_00"},
      {"esocial-v02_04_02-evtAdmPrelim.xml", "evtAdmPrelim-v02_04_02.xsd", "evtAdmPrelim", "ID",
       "ID1123456780001952019031512000000003",
       "http://www.esocial.gov.br/schema/evt/evtAdmPrelim/v02_04_02"},
      {"esocial-v02_04_02-evtReabreEvPer.xml", "evtReabreEvPer-v02_04_02.xsd", "evtReabreEvPer",
       "ID", "ID1123456780001952019040209150000004",
       "http://www.esocial.gov.br/schema/evt/evtReabreEvPer/v02_04_02"},
      {"reinf-v1_04_00-evtInfoContri.xml", "evtInfoContribuinte-v1_04_00.xsd", "evtInfoContri",
       "id", "ID1123456780000002024030112000000001",
       "http://www.reinf.esocial.gov.br/schemas/evtInfoContribuinte/v1_04_00"},
      {"reinf-v1_04_00-evtFechaEvPer.xml", "evtFechamento-v1_04_00.xsd", "evtFechaEvPer", "id",
       "ID1123456780000002024040110300000002",
       "http://www.reinf.esocial.gov.br/schemas/evtFechamento/v1_04_00"},
      {"reinf-v1_04_00-evtReabreEvPer.xml", "evtReabreEvPer-v1_04_00.xsd", "evtReabreEvPer", "id",
       "ID1123456780000002024041509000000003",
       "http://www.reinf.esocial.gov.br/schemas/evtReabreEvPer/v1_04_00"},
  };
  return fixtures;
}

std::filesystem::path FixturesDir() {
  return std::filesystem::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "xmlsign";
}

std::string ReadFixture(std::string_view name) {
  return ReadFile(FixturesDir() / name);
}

std::size_t Occurrences(std::string_view text, std::string_view needle) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(needle); pos != std::string_view::npos;
       pos = text.find(needle, pos + needle.size()))
    ++count;
  return count;
}

const std::vector<AberturaDocumento>& AberturasDocumento() {
  static const std::vector<AberturaDocumento> aberturas = {
      {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
      {"utf-8 em minúsculas", "<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
      {"aspas simples", "<?xml version='1.0' encoding='Utf-8'?>"},
      {"standalone yes", "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"},
      {"standalone no", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"},
      {"só a versão", "<?xml version=\"1.0\"?>"},
      {"outro encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"},
      {"marca de ordem de bytes", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
      {"brancos e quebras de linha antes e depois",
       " \r\n\t<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"},
      {"sem declaração", ""},
  };
  return aberturas;
}

}  // namespace luvaro::test
