#include "esocial/retorno_envio_lote.h"

#include <exception>

namespace luvaro {

bool TRetEnvioLote::LerXml() noexcept {
  using namespace retorno;
  FIdeEmpregador = {};
  FIdeTransmissor = {};
  FStatus = {};
  FDadosRecLote = {};
  try {
    if (!LerGrupo(FLeitor, 1, "retornoEnvioLoteEventos")) return false;
    if (LerGrupo(FLeitor, 2, "ideEmpregador")) LerInscricao(FLeitor, FIdeEmpregador);
    if (LerGrupo(FLeitor, 2, "ideTransmissor")) LerInscricao(FLeitor, FIdeTransmissor);
    FStatus = LerStatus(FLeitor, 2, false, true);
    FDadosRecLote = LerDadosRecepcaoLote(FLeitor, 2);
    return true;
  } catch (const std::exception&) {
    // A reply that cannot be read is still handed on whole as RetWS; the objects keep what
    // was read.
    return false;
  }
}

}  // namespace luvaro
