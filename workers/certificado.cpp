#include "workers/certificado.h"

#include "dfe/config/dfe_componente.h"
#include "dfe/ssl/dfe_ssl.h"

namespace luvaro {

TCertificado::TCertificado(TDFeComponente& pComponente) : FComponente(pComponente) {
  FNumeroSerie = FComponente.SSL().SelecionarCertificado();
}

}  // namespace luvaro
