#include "tools/sim/reinf_store.h"

#include <algorithm>
#include <array>

namespace luvaro::sim::reinf {
namespace {

// The events a closing (R-2099) covers.
constexpr std::array<std::string_view, 7> kPeriodicos = {"2010", "2020", "2030", "2040",
                                                         "2050", "2060", "2070"};

std::string Digitos(long long n, std::size_t width) {
  std::string digits = std::to_string(n);
  if (digits.size() > width) digits.erase(0, digits.size() - width);
  return std::string(width - digits.size(), '0') + digits;
}

std::string ChavePeriodo(const Inscricao& contribuinte, std::string_view perApur) {
  return ChaveContribuinte(contribuinte) + "|" + std::string(perApur);
}

}  // namespace

std::string ChaveContribuinte(const Inscricao& contribuinte) {
  const std::string nr =
      contribuinte.tpInsc == "1" ? contribuinte.nrInsc.substr(0, 8) : contribuinte.nrInsc;
  return contribuinte.tpInsc + "|" + nr;
}

Valores& Valores::operator+=(const Valores& other) {
  baseRet += other.baseRet;
  retPrinc += other.retPrinc;
  retAdic += other.retAdic;
  nRetPrinc += other.nRetPrinc;
  nRetAdic += other.nRetAdic;
  return *this;
}

std::string ReinfStore::NovoProtocolo(int tpAmb, std::string_view anoMes) {
  std::lock_guard lock(m_mutex);
  return "1." + std::to_string(tpAmb) + "." + std::string(anoMes) + "." +
         Digitos(++m_protocolos, 38);
}

std::string ReinfStore::NovoRecibo(std::string_view anoMes, std::string_view tpEv) {
  std::lock_guard lock(m_mutex);
  const std::string sequencia = Digitos(++m_recibos, 5);
  const std::string ano = anoMes.size() >= 6 ? std::string(anoMes.substr(2, 2)) : "00";
  const std::string mes = anoMes.size() >= 6 ? std::string(anoMes.substr(4, 2)) : "00";
  return sequencia + "-" + mes + "-" + std::string(tpEv) + "-" + ano + mes + "-" + sequencia;
}

long long ReinfStore::NovoSequencial() {
  std::lock_guard lock(m_mutex);
  return ++m_sequencial;
}

void ReinfStore::Aceitar(EventoAceito evento) {
  std::lock_guard lock(m_mutex);
  m_aceitos.push_back(std::move(evento));
}

std::optional<EventoAceito> ReinfStore::Aceito(const std::string& id) const {
  std::lock_guard lock(m_mutex);
  auto it = std::find_if(m_aceitos.begin(), m_aceitos.end(),
                         [&](const EventoAceito& e) { return e.id == id; });
  if (it == m_aceitos.end()) return std::nullopt;
  return *it;
}

std::vector<EventoAceito> ReinfStore::Aceitos() const {
  std::lock_guard lock(m_mutex);
  return m_aceitos;
}

std::vector<EventoAceito> ReinfStore::DoPeriodo(const Inscricao& contribuinte,
                                                std::string_view perApur) const {
  std::lock_guard lock(m_mutex);
  const std::string chave = ChaveContribuinte(contribuinte);
  std::vector<EventoAceito> found;
  for (const EventoAceito& e : m_aceitos) {
    if (ChaveContribuinte(e.contribuinte) == chave && e.perApur == perApur &&
        std::find(kPeriodicos.begin(), kPeriodicos.end(), e.tpEv) != kPeriodicos.end()) {
      found.push_back(e);
    }
  }
  return found;
}

bool ReinfStore::Excluir(const Inscricao& contribuinte, std::string_view tpEv,
                         std::string_view nrRecibo) {
  std::lock_guard lock(m_mutex);
  const std::string chave = ChaveContribuinte(contribuinte);
  auto it = std::find_if(m_aceitos.begin(), m_aceitos.end(), [&](const EventoAceito& e) {
    return e.tpEv == tpEv && e.nrRecibo == nrRecibo && ChaveContribuinte(e.contribuinte) == chave;
  });
  if (it == m_aceitos.end()) return false;
  m_aceitos.erase(it);
  return true;
}

bool ReinfStore::PeriodoFechado(const Inscricao& contribuinte, std::string_view perApur) const {
  std::lock_guard lock(m_mutex);
  return m_fechados.contains(ChavePeriodo(contribuinte, perApur));
}

void ReinfStore::Fechar(Fechamento fechamento) {
  std::lock_guard lock(m_mutex);
  m_fechados.insert_or_assign(ChavePeriodo(fechamento.contribuinte, fechamento.perApur),
                              fechamento.protocolo);
  std::string protocolo = fechamento.protocolo;
  m_fechamentos.insert_or_assign(std::move(protocolo), std::move(fechamento));
}

bool ReinfStore::Reabrir(const Inscricao& contribuinte, std::string_view perApur) {
  std::lock_guard lock(m_mutex);
  return m_fechados.erase(ChavePeriodo(contribuinte, perApur)) > 0;
}

std::optional<Fechamento> ReinfStore::ConsultarFechamento(const std::string& protocolo,
                                                          bool& pendente) {
  std::lock_guard lock(m_mutex);
  auto it = m_fechamentos.find(protocolo);
  if (it == m_fechamentos.end()) return std::nullopt;
  pendente = it->second.consultasPendentes > 0;
  if (pendente) --it->second.consultasPendentes;
  return it->second;
}

}  // namespace luvaro::sim::reinf
