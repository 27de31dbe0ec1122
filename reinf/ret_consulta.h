#pragma once

#include <string>
#include <vector>

#include "dfe/xml/leitor.h"
#include "reinf/ret_comum.h"

namespace luvaro::reinf {

// One event of an event-receipt answer.
struct TRetornoEventosCollectionItem {
  std::string Id;
  std::string nrRecibo;
  std::string dtHoraRecebimento;
  std::string situacaoEvento;
  std::string aplicacaoRecepcao;
  std::string iniValid;
};

// The totalizer blocks of an R-5011.
struct TInfoTotalContrib {
  std::string nrRecArqBase;
  TindExistInfo indExistInfo = TindExistInfo::eiComMovComInfo;
  std::vector<TRTom> RTom;
  std::vector<TRPrest> RPrest;
  std::vector<TRRecRepADCollectionItem> RRecRepAD;
  std::vector<TRComlCollectionItem> RComl;
  std::vector<TRCPRBCollectionItem> RCPRB;
};

// The R-5011 totalizer of a period closing; also holds the answer of an event-receipt query.
struct TEvtTotalContrib {
  std::string Id;
  TIdeEvento1 IdeEvento;
  TideContrib IdeContri;
  TideStatus IdeStatus;
  TInfoRecEv InfoRecEv;
  TInfoTotalContrib InfoTotalContrib;
  std::vector<TRetornoEventosCollectionItem> RetornoEventos;
};

// The reply of both queries.
class TRetConsulta {
 public:
  // The reply text is Leitor().Arquivo(); the call fills it before LerXml.
  TLeitor& Leitor() { return FLeitor; }

  // Reads an R-5011 (consolidated query) or a Reinf receipt answer into the fields; false when
  // reading stopped on a failure part-way (the fields read so far stay). Never raises.
  bool LerXml();
  // The R-5011 as INI text: [evtTotalContrib] with its Id, then one section per element as
  // the reply names it (ideEvento, ideContri, ideStatus, regOcorrs000..., infoRecEv,
  // infoTotalContrib, RTom000... with infoCRTom0000..., RPrest000..., RRecRepAD000...,
  // RComl0..., RCPRB0...). The answer of a receipt query (no R-5011) gives its ideStatus with
  // the regOcorrs and each evento000... of retornoEventos. The program does not call it.
  std::string SalvarINI() const;

  TEvtTotalContrib evtTotalContrib;
  std::string XML;  // the whole text given to the reader

 private:
  void LerTotalizador();
  void LerRecibos();

  TLeitor FLeitor;
};

}  // namespace luvaro::reinf
