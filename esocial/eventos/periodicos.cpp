#include "esocial/eventos/periodicos.h"

namespace luvaro {

TPeriodicos::TPeriodicos(TEventos& AOwner)
    : TeSocialGrupo(AOwner),
      FS1200(Componente()),
      FS1202(Componente()),
      FS1207(Componente()),
      FS1210(Componente()),
      FS1250(Componente()),
      FS1260(Componente()),
      FS1270(Componente()),
      FS1280(Componente()),
      FS1295(Componente()),
      FS1298(Componente()),
      FS1299(Componente()),
      FS1300(Componente()) {
  Registrar({&FS1200, &FS1202, &FS1207, &FS1210, &FS1250, &FS1260, &FS1270, &FS1280, &FS1295,
             &FS1298, &FS1299, &FS1300});
}

}  // namespace luvaro
