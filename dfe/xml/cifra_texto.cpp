#include "dfe/xml/cifra_texto.h"

#include <chrono>
#include <cstdio>

#include "dfe/xml/data_hora.h"

namespace luvaro {

std::string CifrarTexto(std::string_view Dados, std::string_view Chave) {
  std::string out(Dados);
  if (Chave.empty()) return out;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char k = Chave[i % Chave.size()];
    if (out[i] != k) out[i] = static_cast<char>(out[i] ^ k);
  }
  return out;
}

std::string ChaveDoMomento() {
  const DateTimeParts p = decodeDateTime(nowLocal());
  char chave[32];
  std::snprintf(chave, sizeof chave, "%02d%02d%02d%03d", p.hour, p.minute, p.second, p.millisecond);
  return chave;
}

}  // namespace luvaro
