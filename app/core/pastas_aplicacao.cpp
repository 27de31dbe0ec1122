#include "app/core/pastas_aplicacao.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace luvaro {
namespace {

// An absolute path from an environment value, or nothing.
fs::path Absoluto(const char* valor) {
  if (valor == nullptr || *valor == '\0') return {};
  fs::path caminho(valor);
  return caminho.is_absolute() ? caminho : fs::path();
}

}  // namespace

AmbientePastas AmbientePastas::DoProcesso() {
  return {std::getenv("LUVARO_HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("HOME")};
}

fs::path TPastasAplicacao::Leitura(std::string_view nome) const {
  const fs::path proprio = Usuario / nome;
  std::error_code erro;
  if (Usuario == Programa || fs::exists(proprio, erro)) return proprio;
  return Programa / nome;
}

TPastasAplicacao ResolverPastasAplicacao(const fs::path& pPastaExecutavel,
                                         const AmbientePastas& pAmbiente) {
  TPastasAplicacao pastas;
  std::error_code erro;
  pastas.InstaladoPorPacote = fs::is_regular_file(pPastaExecutavel / kMarcadorPacote, erro);

  if (pAmbiente.luvaroHome != nullptr && *pAmbiente.luvaroHome != '\0') {
    pastas.Usuario = pastas.Programa = fs::path(pAmbiente.luvaroHome);
    return pastas;
  }
  pastas.Usuario = pastas.Programa = pPastaExecutavel;
  if (!pastas.InstaladoPorPacote) return pastas;

  if (fs::path dados = Absoluto(pAmbiente.xdgDataHome); !dados.empty()) {
    pastas.Usuario = dados / "luvaro";
  } else if (fs::path home = Absoluto(pAmbiente.home); !home.empty()) {
    pastas.Usuario = home / ".local" / "share" / "luvaro";
  }
  return pastas;
}

}  // namespace luvaro
