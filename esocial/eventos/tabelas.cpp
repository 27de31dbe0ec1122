#include "esocial/eventos/tabelas.h"

namespace luvaro {

TTabelas::TTabelas(TEventos& AOwner)
    : TeSocialGrupo(AOwner),
      FS1010(Componente()),
      FS1020(Componente()),
      FS1030(Componente()),
      FS1035(Componente()),
      FS1040(Componente()),
      FS1050(Componente()),
      FS1060(Componente()),
      FS1070(Componente()),
      FS1080(Componente()) {
  Registrar({&FS1010, &FS1020, &FS1030, &FS1035, &FS1040, &FS1050, &FS1060, &FS1070, &FS1080});
}

}  // namespace luvaro
