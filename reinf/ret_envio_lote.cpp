#include "reinf/ret_envio_lote.h"

#include <exception>

#include "dfe/config/ini_values.h"

namespace luvaro::reinf {

using namespace leitura;

bool TRetEnvioLote::LerXml() {
  try {
    TLeitor& l = FLeitor;
    if (l.rExtrai(1, "retornoLoteEventos").empty()) return true;
    Id = l.rAtributo("id=");

    if (!l.rExtrai(2, "ideTransmissor").empty()) {
      IdeTransmissor.IdTransmissor = Texto(l, "IdTransmissor");
    }

    if (!l.rExtrai(2, "status").empty()) {
      Status.cdStatus = Inteiro(l, "cdStatus");
      Status.descRetorno = Texto(l, "descRetorno");
      if (!l.rExtrai(3, "dadosRegistroOcorrenciaLote").empty()) {
        ParaCada(l, 4, "ocorrencias", [&] {
          TOcorrenciasCollectionItem& item = Status.Ocorrencias.emplace_back();
          item.Tipo = Inteiro(l, "tipo");
          item.Localizacao = Texto(l, "localizacaoErroAviso");
          item.Codigo = Inteiro(l, "codigo");
          item.Descricao = Texto(l, "descricao");
        });
      }
    }

    if (!l.rExtrai(2, "retornoEventos").empty()) {
      ParaCada(l, 3, "evento", [&] { LerEvento(evento.emplace_back()); });
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The reader's current group is the "evento" element (level 3).
void TRetEnvioLote::LerEvento(TeventoCollectionItem& item) {
  TLeitor& l = FLeitor;
  const std::string& elemento = l.Grupo();
  item.Id = l.rAtributo("id=");
  if (const std::size_t fimTag = elemento.find('>'); fimTag != std::string::npos) {
    const std::size_t fim = elemento.find("</evento", fimTag + 1);
    item.ArquivoReinf = elemento.substr(
        fimTag + 1, fim == std::string::npos ? std::string::npos : fim - fimTag - 1);
  }

  if (l.rExtrai(4, "evtTotal").empty()) return;
  TEvtTotal& total = item.evtTotal;
  total.Id = l.rAtributo("id=");
  if (!l.rExtrai(5, "ideEvento").empty()) total.IdeEvento.perApur = Texto(l, "perApur");
  LerIdeContri(l, 5, total.IdeContrib);
  if (!l.rExtrai(5, "ideRecRetorno").empty()) LerIdeStatus(l, 6, total.IdeStatus);
  LerInfoRecEv(l, 5, total.InfoRecEv);

  if (l.rExtrai(5, "infoTotal").empty()) return;
  TinfoTotal& info = total.InfoTotal;
  info.nrRecArqBase = Texto(l, "nrRecArqBase");
  if (!l.rExtrai(6, "RTom").empty()) LerRTom(l, 6, info.RTom);
  if (!l.rExtrai(6, "RPrest").empty()) LerRPrest(l, info.RPrest);
  ParaCada(l, 6, "RRecRepAD", [&] { LerRRecRepAD(l, info.RRecRepAD.emplace_back()); });
  ParaCada(l, 6, "RComl", [&] { LerRComl(l, info.RComl.emplace_back()); });
  ParaCada(l, 6, "RCPRB", [&] { LerRCPRB(l, info.RCPRB.emplace_back()); });
  if (!l.rExtrai(6, "RRecEspetDesp").empty()) LerRRecEspetDesp(l, info.RRecEspetDesp);
}

std::string TRetEnvioLote::SalvarINI(std::size_t nCont) const {
  if (nCont >= evento.size()) return {};
  using namespace escrita;
  const TEvtTotal& total = evento[nCont].evtTotal;
  IniFile ini;
  IniSectionWriter(ini, "evtTotal").Text("Id", total.Id);
  IniSectionWriter(ini, "ideEvento").Text("perApur", total.IdeEvento.perApur);
  SalvarIdeContri(ini, total.IdeContrib);
  SalvarIdeStatus(ini, total.IdeStatus);
  SalvarInfoRecEv(ini, total.InfoRecEv);
  const TinfoTotal& info = total.InfoTotal;
  IniSectionWriter(ini, "infoTotal").Text("nrRecArqBase", info.nrRecArqBase);
  if (!info.RTom.cnpjPrestador.empty()) SalvarRTom(ini, info.RTom, -1);
  if (!info.RPrest.nrInscTomador.empty()) SalvarRPrest(ini, info.RPrest, "RPrest");
  SalvarListas(ini, info.RRecRepAD, info.RComl, info.RCPRB);
  const TRRecEspetDesp& espet = info.RRecEspetDesp;
  if (!espet.CRRecEspetDesp.empty() || espet.vlrReceitaTotal != 0 || espet.vlrCPApurTotal != 0)
    SalvarRRecEspetDesp(ini, espet);
  return ini.Text();
}

}  // namespace luvaro::reinf
