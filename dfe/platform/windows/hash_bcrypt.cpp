// Digests through CNG (BCrypt).

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/crypto_int.h"

namespace luvaro {

void FalhaCripto(const std::string& passo, unsigned long code) {
  throw EDFeException(passo + " , erro: $" + Hex8(code));
}

AlgoritmoHash ObterAlgoritmo(TSSLDgst digest, const std::string& classe) {
  switch (digest) {
    case TSSLDgst::dgstMD2:
      return {digest, BCRYPT_MD2_ALGORITHM, CALG_MD2};
    case TSSLDgst::dgstMD4:
      return {digest, BCRYPT_MD4_ALGORITHM, CALG_MD4};
    case TSSLDgst::dgstMD5:
      return {digest, BCRYPT_MD5_ALGORITHM, CALG_MD5};
    case TSSLDgst::dgstSHA:
    case TSSLDgst::dgstSHA1:
      return {digest, BCRYPT_SHA1_ALGORITHM, CALG_SHA1};
    case TSSLDgst::dgstSHA256:
      return {digest, BCRYPT_SHA256_ALGORITHM, CALG_SHA_256};
    case TSSLDgst::dgstSHA512:
      return {digest, BCRYPT_SHA512_ALGORITHM, CALG_SHA_512};
    case TSSLDgst::dgstRMD160:
      break;
  }
  throw EDFeException(std::string("Digest ") + NomeDgst(digest) + " não suportado em " + classe);
}

std::string Resumo(const AlgoritmoHash& algoritmo, std::string_view data) {
  BCRYPT_ALG_HANDLE raw = nullptr;
  NTSTATUS status = BCryptOpenAlgorithmProvider(&raw, algoritmo.bcrypt, nullptr, 0);
  const BcryptAlgPtr alg(raw);
  if (!BCRYPT_SUCCESS(status))
    throw EDFeException(std::string("O Provedor de Criptografia não suporta o algoritmo: ") +
                        NomeDgst(algoritmo.dgst));
  DWORD length = 0;
  ULONG written = 0;
  status = BCryptGetProperty(alg.get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                             sizeof length, &written, 0);
  if (!BCRYPT_SUCCESS(status)) FalhaCripto("CryptCreateHash", static_cast<unsigned long>(status));
  BCRYPT_HASH_HANDLE rawHash = nullptr;
  status = BCryptCreateHash(alg.get(), &rawHash, nullptr, 0, nullptr, 0, 0);
  const BcryptHashPtr hash(rawHash);
  if (!BCRYPT_SUCCESS(status)) FalhaCripto("CryptCreateHash", static_cast<unsigned long>(status));
  // In blocks, so that a length beyond ULONG's range is hashed too.
  constexpr std::size_t kBloco = 32768;
  for (std::size_t at = 0; at < data.size(); at += kBloco) {
    const std::string_view bloco = data.substr(at, kBloco);
    status = BCryptHashData(hash.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(bloco.data())),
                            static_cast<ULONG>(bloco.size()), 0);
    if (!BCRYPT_SUCCESS(status)) FalhaCripto("CryptHashData", static_cast<unsigned long>(status));
  }
  std::string digest(length, '\0');
  status = BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), length, 0);
  if (!BCRYPT_SUCCESS(status)) FalhaCripto("CryptGetHashParam", static_cast<unsigned long>(status));
  return digest;
}

}  // namespace luvaro
