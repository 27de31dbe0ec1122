#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/leitor.h"
#include "esocial/retorno_comum.h"
#include "esocial/retorno_contrato.h"
#include "esocial/retorno_totalizador.h"

namespace luvaro {

// Reception of one event of the lot.
struct TRecepcao {
  TpTpAmb tpAmb = TpTpAmb::taProducao;
  DateTime dhRecepcao = 0;
  std::string versaoAplicRecepcao;
  std::string Protocolo;
};

// Processing of one event: its result code and, for a refused event, the occurrences.
struct TProcessamento {
  int cdResposta = 0;
  std::string descResposta;
  std::string versaoAplicProcLote;
  DateTime dhProcessamento = 0;
  std::vector<TOcorrencia> Ocorrencias;
};

// The receipt of an accepted event; Contrato answers an admission event.
struct TRecibo {
  std::string nrRecibo;
  std::string Hash;
  TContrato Contrato;
};

// A totalizer computed for an event: its kind ("S5001", ...), its document and, for the six
// known kinds, the reader that parsed it.
struct TTotItem {
  std::string tipo;
  std::string XML;
  std::shared_ptr<IEventoeSocial> Evento;
};

// The result of one event of the lot.
struct TRetEventoItem {
  std::string Id;
  bool evtDupl = false;
  TInscricao IdeEmpregador;
  TRecepcao Recepcao;
  TProcessamento Processamento;
  TRecibo Recibo;
  std::vector<TTotItem> tot;
};

// The reply of the lot-query service (retornoProcessamentoLoteEventos).
class TRetConsultaLote {
 public:
  TLeitor& Leitor() { return FLeitor; }
  const TInscricao& IdeEmpregador() const { return FIdeEmpregador; }
  const TInscricao& IdeTransmissor() const { return FIdeTransmissor; }
  const TStatus& Status() const { return FStatus; }
  const TDadosRecepcaoLote& DadosRecLote() const { return FDadosRecLote; }
  const TdadosProcLote& DadosProcLote() const { return FDadosProcLote; }
  const std::vector<TRetEventoItem>& RetEventos() const { return FRetEventos; }

  // Reads Leitor's document into the objects: true when the root group was found and reading
  // raised nothing. Never raises; what was read before a failure stays.
  bool LerXml() noexcept;

 private:
  // One "evento", extracted into level 3.
  bool LerEvento(TRetEventoItem& evento);

  TLeitor FLeitor;
  TInscricao FIdeEmpregador;
  TInscricao FIdeTransmissor;
  TStatus FStatus;
  TDadosRecepcaoLote FDadosRecLote;
  TdadosProcLote FDadosProcLote;
  std::vector<TRetEventoItem> FRetEventos;
};

}  // namespace luvaro
