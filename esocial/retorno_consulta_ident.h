#pragma once

#include <string>
#include <vector>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/leitor.h"
#include "esocial/retorno_comum.h"

namespace luvaro {

// One event found by an identifier query: its identifier and receipt number.
struct TRetIdentEvtsItem {
  std::string Id;
  std::string nrRec;
};

// The events found, with the total the service counted and the time of the last one returned.
struct TRetIdentEvtsCollection {
  int qtdeTotEvtsConsulta = 0;
  DateTime dhUltimoEvtRetornado = 0;
  std::vector<TRetIdentEvtsItem> Items;

  int Count() const { return static_cast<int>(Items.size()); }
};

// The reply of the identifier-query service (retornoConsultaIdentificadoresEvts).
class TRetConsultaIdentEvt {
 public:
  TLeitor& Leitor() { return FLeitor; }
  const TStatus& Status() const { return FStatus; }
  const TRetIdentEvtsCollection& RetIdentEvts() const { return FRetIdentEvts; }

  // Reads Leitor's document into the objects: true when the root group was found and reading
  // raised nothing. Never raises; what was read before a failure stays.
  bool LerXml() noexcept;

 private:
  TLeitor FLeitor;
  TStatus FStatus;
  TRetIdentEvtsCollection FRetIdentEvts;
};

}  // namespace luvaro
