#include "reinf/ret_consulta.h"

#include <exception>

#include "dfe/config/ini_values.h"

namespace luvaro::reinf {

using namespace leitura;

bool TRetConsulta::LerXml() {
  try {
    XML = FLeitor.Arquivo();
    if (!FLeitor.rExtrai(1, "evtTotalContrib").empty()) {
      LerTotalizador();
    } else if (!FLeitor.rExtrai(1, "Reinf").empty()) {
      LerRecibos();
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The reader's current group is the "evtTotalContrib" element (level 1).
void TRetConsulta::LerTotalizador() {
  TLeitor& l = FLeitor;
  TEvtTotalContrib& total = evtTotalContrib;
  total.Id = l.rAtributo("id=");
  if (!l.rExtrai(2, "ideEvento").empty()) total.IdeEvento.perApur = Texto(l, "perApur");
  LerIdeContri(l, 2, total.IdeContri);
  if (!l.rExtrai(2, "ideRecRetorno").empty()) LerIdeStatus(l, 3, total.IdeStatus);
  LerInfoRecEv(l, 2, total.InfoRecEv);

  if (l.rExtrai(2, "infoTotalContrib").empty()) return;
  TInfoTotalContrib& info = total.InfoTotalContrib;
  info.nrRecArqBase = Texto(l, "nrRecArqBase");
  info.indExistInfo = StrToindExistInfo(Texto(l, "indExistInfo"));
  ParaCada(l, 3, "RTom", [&] { LerRTom(l, 3, info.RTom.emplace_back()); });
  ParaCada(l, 3, "RPrest", [&] { LerRPrest(l, info.RPrest.emplace_back()); });
  ParaCada(l, 3, "RRecRepAD", [&] { LerRRecRepAD(l, info.RRecRepAD.emplace_back()); });
  ParaCada(l, 3, "RComl", [&] { LerRComl(l, info.RComl.emplace_back()); });
  ParaCada(l, 3, "RCPRB", [&] { LerRCPRB(l, info.RCPRB.emplace_back()); });
}

// The reader's current group is the "Reinf" element (level 1) of an event-receipt answer.
void TRetConsulta::LerRecibos() {
  TLeitor& l = FLeitor;
  LerIdeStatus(l, 2, evtTotalContrib.IdeStatus);
  if (l.rExtrai(2, "retornoEventos").empty()) return;
  ParaCada(l, 3, "evento", [&] {
    TRetornoEventosCollectionItem& item = evtTotalContrib.RetornoEventos.emplace_back();
    item.Id = l.rAtributo("id=");
    item.iniValid = Texto(l, "iniValid");
    item.dtHoraRecebimento = Texto(l, "dtHoraRecebimento");
    item.nrRecibo = Texto(l, "nrRecibo");
    item.situacaoEvento = Texto(l, "situacaoEvento");
    item.aplicacaoRecepcao = Texto(l, "aplicacaoRecepcao");
  });
}

std::string TRetConsulta::SalvarINI() const {
  using namespace escrita;
  const TEvtTotalContrib& total = evtTotalContrib;
  const bool comTotalizador = !total.Id.empty();
  IniFile ini;
  if (comTotalizador) {
    IniSectionWriter(ini, "evtTotalContrib").Text("Id", total.Id);
    IniSectionWriter(ini, "ideEvento").Text("perApur", total.IdeEvento.perApur);
    SalvarIdeContri(ini, total.IdeContri);
  }
  SalvarIdeStatus(ini, total.IdeStatus);
  if (comTotalizador) {
    SalvarInfoRecEv(ini, total.InfoRecEv);
    const TInfoTotalContrib& info = total.InfoTotalContrib;
    IniSectionWriter(ini, "infoTotalContrib")
        .Text("nrRecArqBase", info.nrRecArqBase)
        .Text("indExistInfo", indExistInfoToStr(info.indExistInfo));
    int n = 0;
    for (const TRTom& item : info.RTom) SalvarRTom(ini, item, n++);
    n = 0;
    for (const TRPrest& item : info.RPrest)
      SalvarRPrest(ini, item, IniSectionName("RPrest", {{n++, 3}}));
    SalvarListas(ini, info.RRecRepAD, info.RComl, info.RCPRB);
  }
  int n = 0;
  for (const TRetornoEventosCollectionItem& item : total.RetornoEventos) {
    IniSectionWriter(ini, IniSectionName("evento", {{n++, 3}}))
        .Text("Id", item.Id)
        .Text("iniValid", item.iniValid)
        .Text("dtHoraRecebimento", item.dtHoraRecebimento)
        .Text("nrRecibo", item.nrRecibo)
        .Text("situacaoEvento", item.situacaoEvento)
        .Text("aplicacaoRecepcao", item.aplicacaoRecepcao);
  }
  return ini.Text();
}

}  // namespace luvaro::reinf
