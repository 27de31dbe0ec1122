#include "dfe/modelos/codigos.h"

#include "dfe/xml/texto.h"

namespace luvaro {

std::size_t IndiceDoCodigo(const std::string_view* codigos, std::size_t quantidade,
                           std::string_view codigo) noexcept {
  for (std::size_t i = 0; i < quantidade; ++i) {
    if (equalsNoCase(codigos[i], codigo)) return i;
  }
  return quantidade;
}

}  // namespace luvaro
