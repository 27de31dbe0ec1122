#include "esocial/retorno_totalizador.h"

#include "dfe/config/ini_values.h"

#include "esocial/retorno_s5001.h"
#include "esocial/retorno_s5002.h"
#include "esocial/retorno_s5003.h"
#include "esocial/retorno_s5011.h"
#include "esocial/retorno_s5012.h"
#include "esocial/retorno_s5013.h"

namespace luvaro {

bool TEventoTotalizador::LerXML() {
  using namespace retorno;
  FId.clear();
  FIdeEvento = {};
  FIdeEmpregador = {};
  LimparGrupos();
  FLeitor.SetArquivo(FXML);
  if (!LerGrupo(FLeitor, 1, ElementoRaiz())) return false;
  FId = FLeitor.rAtributo("Id");
  if (LerGrupo(FLeitor, 2, "ideEvento")) {
    FIdeEvento.nrRecArqBase = LerTexto(FLeitor, "nrRecArqBase");
    FIdeEvento.IndApuracao = LerCodigo<tpIndApuracao>(FLeitor, "indApuracao");
    FIdeEvento.perApur = LerTexto(FLeitor, "perApur");
  }
  if (LerGrupo(FLeitor, 2, "ideEmpregador")) LerInscricao(FLeitor, FIdeEmpregador);
  LerGrupos();
  return true;
}

std::string TEventoTotalizador::SalvarINI() const {
  IniFile ini;
  IniSectionWriter(ini, ElementoRaiz()).Text("Id", FId);
  IniSectionWriter ideEvento(ini, "ideEvento");
  if (IdeEventoComRecibo()) ideEvento.Text("nrRecArqBase", FIdeEvento.nrRecArqBase);
  if (IdeEventoComApuracao()) ideEvento.Text("indApuracao", CodigoDe(FIdeEvento.IndApuracao));
  ideEvento.Text("perApur", FIdeEvento.perApur);
  IniSectionWriter(ini, "ideEmpregador")
      .Text("tpInsc", CodigoDe(FIdeEmpregador.TpInsc()))
      .Text("nrInsc", FIdeEmpregador.NrInsc());
  SalvarGrupos(ini);
  return ini.Text();
}

std::shared_ptr<IEventoeSocial> CriarEventoTotalizador(const std::string& tipo) {
  if (tipo == "S5001") return std::make_shared<TS5001>();
  if (tipo == "S5002") return std::make_shared<TS5002>();
  if (tipo == "S5003") return std::make_shared<TS5003>();
  if (tipo == "S5011") return std::make_shared<TS5011>();
  if (tipo == "S5012") return std::make_shared<TS5012>();
  if (tipo == "S5013") return std::make_shared<TS5013>();
  return nullptr;
}

}  // namespace luvaro
