#include "tools/eventos/sistema_eventos.h"

namespace luvaro {

std::span<const SistemaEventos> SistemasEventos() {
  static const SistemaEventos sistemas[] = {SistemaeSocialEventos(), SistemaReinfEventos()};
  return sistemas;
}

}  // namespace luvaro
