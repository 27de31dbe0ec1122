#include "esocial/retorno_consulta_ident.h"

#include <exception>

namespace luvaro {

bool TRetConsultaIdentEvt::LerXml() noexcept {
  using namespace retorno;
  FStatus = {};
  FRetIdentEvts = {};
  try {
    if (!LerGrupo(FLeitor, 1, "retornoConsultaIdentificadoresEvts")) return false;
    FStatus = LerStatus(FLeitor, 2, false, false);
    if (!LerGrupo(FLeitor, 2, "retornoIdentificadoresEvts")) return true;
    FRetIdentEvts.qtdeTotEvtsConsulta = LerInteiro(FLeitor, "qtdeTotEvtsConsulta");
    FRetIdentEvts.dhUltimoEvtRetornado = LerData(FLeitor, "dhUltimoEvtRetornado");
    // The service lists the events as identificadorEvt items inside identificadoresEvts; a
    // group that holds its id and nrRec directly counts as one item.
    LerItens(FLeitor, 3, "identificadoresEvts", [&] {
      bool algum = false;
      LerItens(FLeitor, 4, "identificadorEvt", [&] {
        algum = true;
        FRetIdentEvts.Items.push_back({LerTexto(FLeitor, "id"), LerTexto(FLeitor, "nrRec")});
      });
      if (algum) return;
      FLeitor.SetGrupo(FLeitor.Nivel(3));
      TRetIdentEvtsItem item{LerTexto(FLeitor, "id"), LerTexto(FLeitor, "nrRec")};
      if (!item.Id.empty() || !item.nrRec.empty()) FRetIdentEvts.Items.push_back(item);
    });
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace luvaro
