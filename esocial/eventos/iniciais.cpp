#include "esocial/eventos/iniciais.h"

namespace luvaro {

TIniciais::TIniciais(TEventos& AOwner)
    : TeSocialGrupo(AOwner), FS1000(Componente()), FS1005(Componente()) {
  Registrar({&FS1000, &FS1005});
}

}  // namespace luvaro
