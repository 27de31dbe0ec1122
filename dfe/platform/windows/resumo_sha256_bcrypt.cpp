// The SHA-256 of a file through CNG (dfe/resumo_sha256.h).

#include "dfe/resumo_sha256.h"

#include <fstream>
#include <iterator>

#include "dfe/platform/windows/crypto_int.h"

namespace luvaro {

std::string Sha256DoArquivo(const std::filesystem::path& pArquivo) {
  std::ifstream arquivo(pArquivo, std::ios::binary);
  std::string conteudo;
  if (arquivo) conteudo.assign(std::istreambuf_iterator<char>(arquivo), {});
  if (!arquivo || arquivo.bad())
    throw EDFeException("Não foi possível ler o arquivo \"" + Utf8(pArquivo.wstring()) + "\".");
  const std::string resumo =
      Resumo(ObterAlgoritmo(TSSLDgst::dgstSHA256, "Sha256DoArquivo"), conteudo);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string texto;
  for (unsigned char byte : resumo) {
    texto += kHex[byte >> 4];
    texto += kHex[byte & 0x0F];
  }
  return texto;
}

}  // namespace luvaro
