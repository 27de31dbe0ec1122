#pragma once

// Private to dfe/platform/windows: digests with CNG (BCrypt), the private key of a certificate
// (a CryptoAPI provider or a CNG key), handing a PIN to it, signing and verifying.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/windows_int.h"
#include "dfe/secure_string.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

// A digest algorithm under its CNG name and its CryptoAPI identifier.
struct AlgoritmoHash {
  TSSLDgst dgst;
  const wchar_t* bcrypt;
  ALG_ID capi;
};

// The algorithm of a digest choice; dgstRMD160 fails with "Digest dgstRMD160 não suportado em "
// + `classe`.
AlgoritmoHash ObterAlgoritmo(TSSLDgst digest, const std::string& classe);

// The raw digest of `data` through BCrypt. An algorithm the system does not carry fails with
// "O Provedor de Criptografia não suporta o algoritmo: " + the enumeration name.
std::string Resumo(const AlgoritmoHash& algoritmo, std::string_view data);

// "Falha em obter Provedor de Criptografia do Certificado. Erro: " and the code, or the texts
// of the provider codes that tell what is wrong with the key set.
std::string MensagemErroProvedor(unsigned long code);

// The key provider information the store keeps beside a certificate (CRYPT_KEY_PROV_INFO);
// empty when it has none (no private key).
std::vector<BYTE> InformacaoProvedor(PCCERT_CONTEXT certificate);

// A certificate's private key as the system hands it out: a CryptoAPI provider with the key's
// KeySpec (AT_KEYEXCHANGE or AT_SIGNATURE), or a CNG key (CERT_NCRYPT_KEY_SPEC). Released when
// the acquisition says so. Move-only: the handle is released exactly once.
class ChaveCertificado {
 public:
  ChaveCertificado() = default;
  ChaveCertificado(HCRYPTPROV_OR_NCRYPT_KEY_HANDLE handle, DWORD keySpec, bool liberar) noexcept
      : m_handle(handle), m_keySpec(keySpec), m_liberar(liberar) {}
  ~ChaveCertificado() { Liberar(); }
  ChaveCertificado(const ChaveCertificado&) = delete;
  ChaveCertificado& operator=(const ChaveCertificado&) = delete;
  ChaveCertificado(ChaveCertificado&& other) noexcept { *this = std::move(other); }
  ChaveCertificado& operator=(ChaveCertificado&& other) noexcept;

  bool Cng() const noexcept { return m_keySpec == CERT_NCRYPT_KEY_SPEC; }
  HCRYPTPROV Provedor() const noexcept { return m_handle; }
  NCRYPT_KEY_HANDLE ChaveCng() const noexcept { return m_handle; }
  DWORD KeySpec() const noexcept { return m_keySpec; }
  explicit operator bool() const noexcept { return m_handle != 0; }

 private:
  void Liberar() noexcept;

  HCRYPTPROV_OR_NCRYPT_KEY_HANDLE m_handle = 0;
  DWORD m_keySpec = 0;
  bool m_liberar = false;
};

// A key that cannot be acquired: what() is MensagemErroProvedor of the system's code.
class EFalhaChave : public EDFeException {
 public:
  explicit EFalhaChave(unsigned long code);
  unsigned long Codigo() const noexcept { return m_code; }

 private:
  unsigned long m_code;
};

// Acquires the certificate's private key (CryptoAPI or CNG); throws EFalhaChave.
ChaveCertificado AdquirirChave(PCCERT_CONTEXT certificate);

// Whether the key lives in hardware (a smart card or token): CNG's implementation type (counted
// as hardware when it cannot be read) or the provider's PP_IMPTYPE; nothing when the provider's
// type cannot be read.
std::optional<bool> ChaveEmHardware(const ChaveCertificado& chave);

// Hands `pin` to a hardware key: CNG's "SmartCardPin" property, or the provider's signature PIN
// and then its key-exchange PIN. Returns the result code: 0 on success (also for a software key,
// which is left alone), else the system's code; a provider whose type cannot be read throws
// "GetCSPProviderParamDWord. Erro:" and the code.
unsigned long EntregarPIN(const ChaveCertificado& chave, const SecureString& pin);

// How a provider answered a PIN, by its result code.
enum class RespostaPIN { Aceito, Errado, Bloqueado, Outro };
RespostaPIN RespostaPINDe(unsigned long code) noexcept;

// The RSA signature of `digest` (made by `algoritmo`) with the key, big-endian. A CryptoAPI
// provider that refuses the algorithm (older providers know no SHA-2) is replaced by the
// RSA-AES provider over the same key container. Failures: the failing call's name and " , erro:
// $" with the code.
std::string AssinarResumo(PCCERT_CONTEXT certificate, const ChaveCertificado& chave,
                          const AlgoritmoHash& algoritmo, const std::string& digest);

// Whether `signature` (big-endian) is the certificate's key's signature of `digest`.
bool VerificarAssinaturaResumo(PCCERT_CONTEXT certificate, const AlgoritmoHash& algoritmo,
                               const std::string& digest, std::string_view signature);

// Throws the failure of a step inside hashing or signing: EDFeException with the step's text,
// " , erro: $" and the code in 8 hexadecimal digits.
[[noreturn]] void FalhaCripto(const std::string& passo, unsigned long code);

}  // namespace luvaro
