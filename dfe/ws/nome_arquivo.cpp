#include "dfe/ws/nome_arquivo.h"

namespace luvaro {

std::string NomeArquivoSeguro(std::string_view parte) {
  std::string nome;
  nome.reserve(parte.size());
  for (const char c : parte) {
    const bool letraOuDigito =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool seguro = letraOuDigito || c == '-' || c == '_' || (c == '.' && !nome.ends_with('.'));
    nome.push_back(seguro ? c : '_');
  }
  return nome;
}

}  // namespace luvaro
