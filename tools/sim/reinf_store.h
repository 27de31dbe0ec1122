#pragma once

// What the EFD-Reinf stand-in remembers during one run: the events it accepted (with their
// R-5001, for a resend and for receipt queries), the closed periods and the closings by their
// delivery protocol, for the consolidated query. Kept in memory only; every member is guarded
// by one mutex.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro::sim::reinf {

struct Inscricao {
  std::string tpInsc;
  std::string nrInsc;
};

// The contributor as the service compares it: the CNPJ root for tpInsc 1, the whole number
// otherwise ("1|12345678").
std::string ChaveContribuinte(const Inscricao& contribuinte);

// Amounts in cents, as the R-2010 and R-2020 give them and the totalizers add them up.
struct Valores {
  long long baseRet = 0;
  long long retPrinc = 0;
  long long retAdic = 0;
  long long nRetPrinc = 0;
  long long nRetAdic = 0;
  Valores& operator+=(const Valores& other);
};

// Services taken from one provider (R-2010), per provider and building site.
struct TotalTomado {
  std::string cnpjPrestador;
  std::string cno;  // the building site, when the establishment is one (tpInsc 4)
  Valores valores;
};

// Services provided to one taker (R-2020).
struct TotalPrestado {
  std::string tpInscTomador;
  std::string nrInscTomador;
  Valores valores;
};

// An event the service accepted, with what the receipt query, a resend, an exclusion or the
// closing of its period needs.
struct EventoAceito {
  std::string id;
  std::string tpEv;  // "2010"
  std::string nrRecibo;
  Inscricao contribuinte;
  std::string perApur;  // "2024-03" ("" for table events)
  std::string dtApur;   // R-3010: "2024-03-15"
  std::string iniValid;
  std::string tpInscEstab;
  std::string nrInscEstab;
  std::string cnpjPrestador;
  std::string tpInscTomador;
  std::string nrInscTomador;
  std::string dhRecepcao;
  std::string r5001;  // the signed R-5001 sent for it
  std::optional<TotalTomado> tomado;
  std::optional<TotalPrestado> prestado;
};

// A period closed by an accepted R-2099, with the totals of the period at that moment.
struct Fechamento {
  std::string protocolo;  // nrProtEntr of the R-2099
  Inscricao contribuinte;
  std::string perApur;
  std::string idEv;
  std::string hash;
  std::string dhProcess;
  std::string nrRecibo;
  bool comMovimento = false;  // the period had accepted periodic events
  std::vector<TotalTomado> tomados;
  std::vector<TotalPrestado> prestados;
  int consultasPendentes = 0;  // consolidated queries still answered "in processing"
};

class ReinfStore {
 public:
  ReinfStore() = default;
  ReinfStore(const ReinfStore&) = delete;  // one store per run
  ReinfStore& operator=(const ReinfStore&) = delete;

  // "1.<tpAmb>.<yyyymm>.<38 digits>": 49 characters, as nrProtEntr must have.
  std::string NovoProtocolo(int tpAmb, std::string_view anoMes);
  // "<sequence>-<MM>-<tpEv>-<yyMM>-<sequence>" from the reception month (yyyymm).
  std::string NovoRecibo(std::string_view anoMes, std::string_view tpEv);
  // A sequence for identifiers of documents the service makes.
  long long NovoSequencial();

  void Aceitar(EventoAceito evento);
  std::optional<EventoAceito> Aceito(const std::string& id) const;
  std::vector<EventoAceito> Aceitos() const;
  // The periodic events (R-2010 to R-2070) of a contributor and period, in order of acceptance.
  std::vector<EventoAceito> DoPeriodo(const Inscricao& contribuinte,
                                      std::string_view perApur) const;
  // Removes the event of that type and receipt of the contributor; false when there is none.
  bool Excluir(const Inscricao& contribuinte, std::string_view tpEv, std::string_view nrRecibo);

  bool PeriodoFechado(const Inscricao& contribuinte, std::string_view perApur) const;
  void Fechar(Fechamento fechamento);
  // Opens a closed period again; false when it was not closed.
  bool Reabrir(const Inscricao& contribuinte, std::string_view perApur);
  // The closing of a protocol; while it has pending queries, one is used up and `pendente` is
  // set.
  std::optional<Fechamento> ConsultarFechamento(const std::string& protocolo, bool& pendente);

 private:
  mutable std::mutex m_mutex;
  long long m_protocolos = 0;
  long long m_recibos = 0;
  long long m_sequencial = 0;
  std::vector<EventoAceito> m_aceitos;              // in order of acceptance
  std::map<std::string, Fechamento> m_fechamentos;  // by protocol
  std::map<std::string, std::string> m_fechados;    // contributor key + period -> protocol
};

}  // namespace luvaro::sim::reinf
