#pragma once

#include <string>
#include <vector>

#include "dfe/xml/leitor.h"
#include "reinf/ret_comum.h"

namespace luvaro::reinf {

// The totalizer blocks of an R-5001.
struct TinfoTotal {
  std::string nrRecArqBase;
  TRTom RTom;
  TRPrest RPrest;
  std::vector<TRRecRepADCollectionItem> RRecRepAD;
  std::vector<TRComlCollectionItem> RComl;
  std::vector<TRCPRBCollectionItem> RCPRB;
  TRRecEspetDesp RRecEspetDesp;
};

// The R-5001 totalizer the service returns for one event of the lot.
struct TEvtTotal {
  std::string Id;
  std::string XML;  // not filled
  TIdeEvento1 IdeEvento;
  TideContrib IdeContrib;
  TideStatus IdeStatus;
  TInfoRecEv InfoRecEv;
  TinfoTotal InfoTotal;
};

struct TeventoCollectionItem {
  std::string Id;
  // The government's whole document for this event (its R-5001 with its signature): the text
  // between the end of the "evento" start tag and the first "</evento" after it.
  std::string ArquivoReinf;
  TEvtTotal evtTotal;
};

// The reply of the send-lot call.
class TRetEnvioLote {
 public:
  // The reply text is Leitor().Arquivo(); the call fills it before LerXml.
  TLeitor& Leitor() { return FLeitor; }

  // Reads the reply into the fields; false when reading stopped on a failure part-way (the
  // fields read so far stay). Never raises.
  bool LerXml();
  // The R-5001 of evento[nCont] as INI text: [evtTotal] with its Id, then one section per
  // element as the reply names it (ideEvento, ideContri, ideStatus, regOcorrs000...,
  // infoRecEv, infoTotal, RTom with infoCRTom0..., RPrest, RRecRepAD000..., RComl0...,
  // RCPRB0..., RRecEspetDesp; the single blocks only when they hold something). Empty for an
  // index outside the list. The program does not call it.
  std::string SalvarINI(std::size_t nCont) const;

  std::string Id;
  TIdeTransmissor IdeTransmissor;
  TStatus Status;
  std::vector<TeventoCollectionItem> evento;

 private:
  void LerEvento(TeventoCollectionItem& item);

  TLeitor FLeitor;
};

}  // namespace luvaro::reinf
