#pragma once

// What the eSocial stand-in remembers during one run: the lots it received by protocol, the
// events it accepted by identifier, and the contribution bases of the accepted S-1200s for the
// S-1299 that closes their period. Kept in memory only; every member is guarded by one mutex.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/sim/esocial_types.h"

namespace luvaro::sim::esocial {

// The result of one event of a lot, as the lot query returns it.
struct ResultadoEvento {
  std::string id;  // the Id of its `evento` element in the reply
  bool duplicado = false;
  std::string retornoEvento;  // the signed eSocial/retornoEvento document
  std::vector<std::pair<std::string, std::string>> totalizadores;  // tipo ("S5001"), document
};

struct LoteRecebido {
  std::string protocolo;
  Inscricao ideEmpregador;
  Inscricao ideTransmissor;
  std::string dhRecepcao;
  std::vector<ResultadoEvento> eventos;
  int consultasPendentes = 0;  // queries still answered "awaiting processing"
};

// An event the service accepted, with what a later query, duplicate or download needs.
struct EventoAceito {
  std::string id;
  std::string tipo;  // "S-1200"
  std::string nrRecibo;
  std::string xml;  // the event document as received
  Inscricao empregador;
  std::string perApur;
  std::string cpfTrab;
  std::string dhProcessamento;
  ResultadoEvento resultado;
};

class EsocialStore {
 public:
  EsocialStore() = default;
  EsocialStore(const EsocialStore&) = delete;  // one store per run
  EsocialStore& operator=(const EsocialStore&) = delete;

  // "A.B.AAAAMM.N(19)": agent 1, environment, month of reception, sequence.
  std::string NovoProtocolo(int tpAmb, std::string_view anoMes);
  // "A.B.N(19)".
  std::string NovoRecibo(int tpAmb);
  // A sequence for identifiers of documents the service makes.
  long long NovoSequencial();

  void GuardarLote(LoteRecebido lote);
  // The lot of a protocol; while it has pending queries, one is used up and `pendente` is set.
  std::optional<LoteRecebido> Consultar(const std::string& protocolo, bool& pendente);

  void Aceitar(EventoAceito evento);
  std::optional<EventoAceito> Aceito(const std::string& id) const;
  std::optional<EventoAceito> AceitoPorRecibo(const std::string& nrRecibo) const;
  std::vector<EventoAceito> Aceitos() const;

  void AdicionarBases(const std::string& periodo, const std::vector<BaseCalculo>& bases);
  std::vector<BaseCalculo> Bases(const std::string& periodo) const;

 private:
  mutable std::mutex m_mutex;
  long long m_protocolos = 0;
  long long m_recibos = 0;
  long long m_sequencial = 0;
  std::map<std::string, LoteRecebido> m_lotes;
  std::vector<EventoAceito> m_aceitos;  // in order of acceptance
  std::map<std::string, std::vector<BaseCalculo>> m_bases;
};

}  // namespace luvaro::sim::esocial
