// A certificate's private key through CryptoAPI or CNG: acquisition, hardware or software,
// the PIN hand-over, signing and verifying.

#include <algorithm>
#include <array>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/crypto_int.h"

namespace luvaro {

namespace {

// Smart-card codes of a PIN hand-over.
constexpr unsigned long kWrongChv = 0x8010006BUL;    // SCARD_W_WRONG_CHV
constexpr unsigned long kChvBlocked = 0x8010006CUL;  // SCARD_W_CHV_BLOCKED

struct TextoProvedor {
  unsigned long code;
  const char* text;
};

constexpr std::array kTextosProvedor{
    TextoProvedor{static_cast<unsigned long>(NTE_KEYSET_NOT_DEF),
                  "Provedor de Criptografia não encontrado. Verifique a configuração do "
                  "Certificado"},
    TextoProvedor{static_cast<unsigned long>(NTE_BAD_KEYSET),
                  "O recipiente da chave não pôde ser aberto"},
    TextoProvedor{static_cast<unsigned long>(NTE_KEYSET_ENTRY_BAD),
                  "Estrutura de Chave obtida no Provedor de Criptografia está corrompida"},
};

// The certificate's key container opened in the RSA-AES provider, which knows SHA-2.
CryptProv ProvedorAES(PCCERT_CONTEXT certificate) {
  const std::vector<BYTE> bytes = InformacaoProvedor(certificate);
  if (bytes.empty()) return {};
  const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(bytes.data());
  CryptProv provedor;
  if (!CryptAcquireContextW(provedor.put(), info->pwszContainerName, MS_ENH_RSA_AES_PROV_W,
                            PROV_RSA_AES, info->dwFlags & CRYPT_MACHINE_KEYSET))
    return {};
  return provedor;
}

std::string AssinarCng(NCRYPT_KEY_HANDLE key, const AlgoritmoHash& algoritmo,
                       const std::string& digest) {
  BCRYPT_PKCS1_PADDING_INFO padding{algoritmo.bcrypt};
  auto* hash = reinterpret_cast<PBYTE>(const_cast<char*>(digest.data()));
  DWORD length = 0;
  SECURITY_STATUS status = NCryptSignHash(key, &padding, hash, static_cast<DWORD>(digest.size()),
                                          nullptr, 0, &length, BCRYPT_PAD_PKCS1);
  if (status != ERROR_SUCCESS) FalhaCripto("NCryptSignHash", static_cast<unsigned long>(status));
  std::string signature(length, '\0');
  status =
      NCryptSignHash(key, &padding, hash, static_cast<DWORD>(digest.size()),
                     reinterpret_cast<PBYTE>(signature.data()), length, &length, BCRYPT_PAD_PKCS1);
  if (status != ERROR_SUCCESS) FalhaCripto("NCryptSignHash", static_cast<unsigned long>(status));
  signature.resize(length);
  return signature;  // CNG gives big-endian already
}

// A hash object of the provider holding `digest` as its value.
CryptHash HashComValor(HCRYPTPROV provedor, const AlgoritmoHash& algoritmo,
                       const std::string& digest) {
  CryptHash hash;
  if (!CryptCreateHash(provedor, algoritmo.capi, 0, 0, hash.put())) return {};
  if (!CryptSetHashParam(hash.get(), HP_HASHVAL, reinterpret_cast<const BYTE*>(digest.data()), 0))
    FalhaCripto("CryptHashData", GetLastError());
  return hash;
}

}  // namespace

std::vector<BYTE> InformacaoProvedor(PCCERT_CONTEXT certificate) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size))
    return {};
  std::vector<BYTE> bytes(size);
  if (!CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, bytes.data(),
                                         &size))
    return {};
  return bytes;
}

std::string MensagemErroProvedor(unsigned long code) {
  for (const TextoProvedor& row : kTextosProvedor)
    if (row.code == code) return row.text;
  return "Falha em obter Provedor de Criptografia do Certificado. Erro: " + Hex8(code);
}

EFalhaChave::EFalhaChave(unsigned long code)
    : EDFeException(MensagemErroProvedor(code)), m_code(code) {}

ChaveCertificado& ChaveCertificado::operator=(ChaveCertificado&& other) noexcept {
  if (this != &other) {
    Liberar();
    m_handle = std::exchange(other.m_handle, 0);
    m_keySpec = std::exchange(other.m_keySpec, 0);
    m_liberar = std::exchange(other.m_liberar, false);
  }
  return *this;
}

void ChaveCertificado::Liberar() noexcept {
  if (m_handle != 0 && m_liberar) {
    if (Cng())
      NCryptFreeObject(m_handle);
    else
      CryptReleaseContext(m_handle, 0);
  }
  m_handle = 0;
}

ChaveCertificado AdquirirChave(PCCERT_CONTEXT certificate) {
  HCRYPTPROV_OR_NCRYPT_KEY_HANDLE handle = 0;
  DWORD keySpec = 0;
  BOOL liberar = FALSE;
  if (!CryptAcquireCertificatePrivateKey(certificate, CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG, nullptr,
                                         &handle, &keySpec, &liberar))
    throw EFalhaChave(GetLastError());
  return ChaveCertificado(handle, keySpec, liberar != FALSE);
}

std::optional<bool> ChaveEmHardware(const ChaveCertificado& chave) {
  if (chave.Cng()) {
    DWORD tipo = 0;
    DWORD size = 0;
    if (NCryptGetProperty(chave.ChaveCng(), NCRYPT_IMPL_TYPE_PROPERTY,
                          reinterpret_cast<PBYTE>(&tipo), sizeof tipo, &size, 0) != ERROR_SUCCESS)
      return true;
    return (tipo & NCRYPT_IMPL_HARDWARE_FLAG) != 0;
  }
  DWORD tipo = 0;
  DWORD size = sizeof tipo;
  if (!CryptGetProvParam(chave.Provedor(), PP_IMPTYPE, reinterpret_cast<BYTE*>(&tipo), &size, 0))
    return std::nullopt;
  return (tipo & CRYPT_IMPL_HARDWARE) != 0;
}

unsigned long EntregarPIN(const ChaveCertificado& chave, const SecureString& pin) {
  const std::optional<bool> hardware = ChaveEmHardware(chave);
  if (!hardware) throw EDFeException("GetCSPProviderParamDWord. Erro:" + Hex8(GetLastError()));
  if (!*hardware) return 0;
  if (chave.Cng()) {
    // The property is a UTF-16 string with its terminating zero.
    std::wstring texto(pin.str().begin(), pin.str().end());
    const SECURITY_STATUS status = NCryptSetProperty(
        chave.ChaveCng(), NCRYPT_PIN_PROPERTY, reinterpret_cast<PBYTE>(texto.data()),
        static_cast<DWORD>((texto.size() + 1) * sizeof(wchar_t)), 0);
    std::fill(texto.begin(), texto.end(), L'\0');
    return static_cast<unsigned long>(status);
  }
  const auto* texto = reinterpret_cast<const BYTE*>(pin.str().c_str());
  unsigned long code =
      CryptSetProvParam(chave.Provedor(), PP_SIGNATURE_PIN, texto, 0) ? 0 : GetLastError();
  // After the signature PIN only a verdict on the PIN itself counts; then the key-exchange PIN.
  if (RespostaPINDe(code) == RespostaPIN::Errado || RespostaPINDe(code) == RespostaPIN::Bloqueado)
    return code;
  code = CryptSetProvParam(chave.Provedor(), PP_KEYEXCHANGE_PIN, texto, 0) ? 0 : GetLastError();
  return code;
}

RespostaPIN RespostaPINDe(unsigned long code) noexcept {
  switch (code) {
    case 0:
    case ERROR_NO_TOKEN:
      return RespostaPIN::Aceito;
    case kWrongChv:
      return RespostaPIN::Errado;
    case kChvBlocked:
      return RespostaPIN::Bloqueado;
    default:
      return RespostaPIN::Outro;
  }
}

std::string AssinarResumo(PCCERT_CONTEXT certificate, const ChaveCertificado& chave,
                          const AlgoritmoHash& algoritmo, const std::string& digest) {
  if (chave.Cng()) return AssinarCng(chave.ChaveCng(), algoritmo, digest);

  CryptProv aes;  // the same container in the RSA-AES provider, when the key's own refuses
  HCRYPTPROV provedor = chave.Provedor();
  CryptHash hash = HashComValor(provedor, algoritmo, digest);
  if (!hash) {
    const DWORD erro = GetLastError();
    if (erro != static_cast<DWORD>(NTE_BAD_ALGID)) FalhaCripto("CryptCreateHash", erro);
    aes = ProvedorAES(certificate);
    if (!aes)
      throw EDFeException(std::string("O Provedor de Criptografia não suporta o algoritmo: ") +
                          NomeDgst(algoritmo.dgst));
    provedor = aes.get();
    hash = HashComValor(provedor, algoritmo, digest);
    if (!hash) FalhaCripto("CryptCreateHash", GetLastError());
  }
  // A key whose KeySpec the system does not tell as one of the two (Wine's PFX import
  // says 3) is tried as the key-exchange key, then as the signature key.
  std::vector<DWORD> keySpecs{chave.KeySpec()};
  if (chave.KeySpec() != AT_KEYEXCHANGE && chave.KeySpec() != AT_SIGNATURE)
    keySpecs = {AT_KEYEXCHANGE, AT_SIGNATURE};
  std::string signature(1024, '\0');
  DWORD length = 0;
  DWORD erro = 0;
  for (const DWORD keySpec : keySpecs) {
    length = static_cast<DWORD>(signature.size());
    if (CryptSignHashW(hash.get(), keySpec, nullptr, 0, reinterpret_cast<BYTE*>(signature.data()),
                       &length)) {
      erro = 0;
      break;
    }
    erro = GetLastError();
  }
  if (erro != 0) FalhaCripto("CryptSignHash", erro);
  while (length >= 257 && signature[length - 1] == '\0') --length;
  signature.resize(length);
  std::reverse(signature.begin(), signature.end());  // CryptoAPI gives little-endian
  return signature;
}

bool VerificarAssinaturaResumo(PCCERT_CONTEXT certificate, const AlgoritmoHash& algoritmo,
                               const std::string& digest, std::string_view signature) {
  CryptProv provedor;
  if (!CryptAcquireContextW(provedor.put(), nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT))
    FalhaCripto("CryptAcquireContext", GetLastError());
  CryptKey chave;
  if (!CryptImportPublicKeyInfo(provedor.get(), X509_ASN_ENCODING,
                                &certificate->pCertInfo->SubjectPublicKeyInfo, chave.put()))
    FalhaCripto("CryptImportPublicKeyInfo", GetLastError());
  CryptHash hash = HashComValor(provedor.get(), algoritmo, digest);
  if (!hash) {
    if (GetLastError() == static_cast<DWORD>(NTE_BAD_ALGID))
      throw EDFeException(std::string("O Provedor de Criptografia não suporta o algoritmo: ") +
                          NomeDgst(algoritmo.dgst));
    FalhaCripto("CryptCreateHash", GetLastError());
  }
  std::string invertida(signature);
  std::reverse(invertida.begin(), invertida.end());
  return CryptVerifySignatureW(hash.get(), reinterpret_cast<const BYTE*>(invertida.data()),
                               static_cast<DWORD>(invertida.size()), chave.get(), nullptr,
                               0) != FALSE;
}

}  // namespace luvaro
