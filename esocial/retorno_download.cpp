#include "esocial/retorno_download.h"

#include <exception>

namespace luvaro {

bool TRetDownloadEvt::LerXml() noexcept {
  using namespace retorno;
  FStatus = {};
  FArquivo.clear();
  try {
    if (!LerGrupo(FLeitor, 1, "download")) return false;
    FStatus = LerStatus(FLeitor, 2, false, false);
    if (!LerGrupo(FLeitor, 2, "retornoSolicDownloadEvts")) return true;
    if (!LerGrupo(FLeitor, 3, "arquivos")) return true;
    LerItens(FLeitor, 4, "arquivo", [&] {
      TArquivoItem& arquivo = FArquivo.emplace_back();
      arquivo.Status = LerStatus(FLeitor, 5, false, false);
      if (LerGrupo(FLeitor, 5, "evt")) {
        arquivo.Id = FLeitor.rAtributo("Id");
        arquivo.XML = ConteudoDoElemento(FLeitor.Grupo(), "evt");
      }
      if (LerGrupo(FLeitor, 5, "rec")) {
        arquivo.nrRec = FLeitor.rAtributo("nrRec");
        arquivo.XML = ConteudoDoElemento(FLeitor.Grupo(), "rec");
      }
    });
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace luvaro
