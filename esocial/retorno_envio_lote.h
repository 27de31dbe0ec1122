#pragma once

#include "dfe/xml/leitor.h"
#include "esocial/retorno_comum.h"

namespace luvaro {

// The reply of the send-lot service (retornoEnvioLoteEventos): the status of the lot and, for
// an accepted lot, its protocol number in DadosRecLote.Protocolo.
class TRetEnvioLote {
 public:
  TLeitor& Leitor() { return FLeitor; }
  const TIdeEmpregador& IdeEmpregador() const { return FIdeEmpregador; }
  const TIdeTransmissor& IdeTransmissor() const { return FIdeTransmissor; }
  const TStatus& Status() const { return FStatus; }
  const TDadosRecepcaoLote& DadosRecLote() const { return FDadosRecLote; }

  // Reads Leitor's document into the objects: true when the root group was found and reading
  // raised nothing. Never raises; what was read before a failure stays.
  bool LerXml() noexcept;

 private:
  TLeitor FLeitor;
  TIdeEmpregador FIdeEmpregador;
  TIdeTransmissor FIdeTransmissor;
  TStatus FStatus;
  TDadosRecepcaoLote FDadosRecLote;
};

}  // namespace luvaro
