#include "dfe/resumo_sha256.h"

#include <openssl/evp.h>

#include <fstream>

#include "dfe/dfe_exception.h"
#include "dfe/raii/openssl.h"

namespace luvaro {

std::string Sha256DoArquivo(const std::filesystem::path& pArquivo) {
  std::ifstream arquivo(pArquivo, std::ios::binary);
  if (!arquivo)
    throw EDFeException("Não foi possível ler o arquivo \"" + pArquivo.string() + "\".");
  const EvpMdCtxPtr contexto(EVP_MD_CTX_new());
  if (!contexto || EVP_DigestInit_ex(contexto.get(), EVP_sha256(), nullptr) != 1)
    throw EDFeException("EVP_DigestInit_ex: " + OpenSslErrors());
  char bloco[64 * 1024];
  while (arquivo.read(bloco, sizeof bloco) || arquivo.gcount() > 0) {
    if (EVP_DigestUpdate(contexto.get(), bloco, static_cast<size_t>(arquivo.gcount())) != 1)
      throw EDFeException("EVP_DigestUpdate: " + OpenSslErrors());
  }
  if (arquivo.bad())
    throw EDFeException("Não foi possível ler o arquivo \"" + pArquivo.string() + "\".");
  unsigned char resumo[EVP_MAX_MD_SIZE];
  unsigned int tamanho = 0;
  if (EVP_DigestFinal_ex(contexto.get(), resumo, &tamanho) != 1)
    throw EDFeException("EVP_DigestFinal_ex: " + OpenSslErrors());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string texto;
  for (unsigned int i = 0; i < tamanho; ++i) {
    texto += kHex[resumo[i] >> 4];
    texto += kHex[resumo[i] & 0x0F];
  }
  return texto;
}

}  // namespace luvaro
