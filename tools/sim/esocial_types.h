#pragma once

// Plain data shared by the pieces of the eSocial stand-in.

#include <string>

namespace luvaro::sim::esocial {

struct Ocorrencia {
  int codigo = 0;
  std::string descricao;
  int tipo = 1;  // 1 erro, 2 advertência
  std::string localizacao;
};

struct Inscricao {
  std::string tpInsc;
  std::string nrInsc;
};

// One contribution base found in a worker's pay: establishment, lotação and category, in cents.
struct BaseCalculo {
  std::string tpInsc;
  std::string nrInsc;
  std::string codLotacao;
  std::string codCateg;
  long long centavos = 0;
};

}  // namespace luvaro::sim::esocial
