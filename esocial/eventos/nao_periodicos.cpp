#include "esocial/eventos/nao_periodicos.h"

namespace luvaro {

TNaoPeriodicos::TNaoPeriodicos(TEventos& AOwner)
    : TeSocialGrupo(AOwner),
      FS2190(Componente()),
      FS2200(Componente()),
      FS2205(Componente()),
      FS2206(Componente()),
      FS2210(Componente()),
      FS2220(Componente()),
      FS2221(Componente()),
      FS2230(Componente()),
      FS2240(Componente()),
      FS2245(Componente()),
      FS2250(Componente()),
      FS2260(Componente()),
      FS2298(Componente()),
      FS2299(Componente()),
      FS2300(Componente()),
      FS2306(Componente()),
      FS2399(Componente()),
      FS2400(Componente()),
      FS3000(Componente()),
      FS2231(Componente()),
      FS2400Benef(Componente()),
      FS2405(Componente()),
      FS2410(Componente()),
      FS2416(Componente()),
      FS2418(Componente()),
      FS2420(Componente()),
      FS2500(Componente()),
      FS2501(Componente()),
      FS2555(Componente()),
      FS3500(Componente()),
      FS8200(Componente()),
      FS8299(Componente()) {
  Registrar({&FS2190, &FS2200, &FS2205, &FS2206, &FS2210,      &FS2220, &FS2221, &FS2230,
             &FS2240, &FS2245, &FS2250, &FS2260, &FS2298,      &FS2299, &FS2300, &FS2306,
             &FS2399, &FS2400, &FS3000, &FS2231, &FS2400Benef, &FS2405, &FS2410, &FS2416,
             &FS2418, &FS2420, &FS2500, &FS2501, &FS2555,      &FS3500, &FS8200, &FS8299});
}

}  // namespace luvaro
