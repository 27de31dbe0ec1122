#include "tools/sim/esocial_store.h"

#include <algorithm>

namespace luvaro::sim::esocial {
namespace {

std::string Sequencia19(long long n) {
  std::string digits = std::to_string(n);
  return std::string(19 - std::min<std::size_t>(19, digits.size()), '0') + digits;
}

}  // namespace

std::string EsocialStore::NovoProtocolo(int tpAmb, std::string_view anoMes) {
  std::lock_guard lock(m_mutex);
  return "1." + std::to_string(tpAmb) + "." + std::string(anoMes) + "." +
         Sequencia19(++m_protocolos);
}

std::string EsocialStore::NovoRecibo(int tpAmb) {
  std::lock_guard lock(m_mutex);
  return "1." + std::to_string(tpAmb) + "." + Sequencia19(++m_recibos);
}

long long EsocialStore::NovoSequencial() {
  std::lock_guard lock(m_mutex);
  return ++m_sequencial;
}

void EsocialStore::GuardarLote(LoteRecebido lote) {
  std::lock_guard lock(m_mutex);
  std::string protocolo = lote.protocolo;
  m_lotes.insert_or_assign(std::move(protocolo), std::move(lote));
}

std::optional<LoteRecebido> EsocialStore::Consultar(const std::string& protocolo, bool& pendente) {
  std::lock_guard lock(m_mutex);
  auto it = m_lotes.find(protocolo);
  if (it == m_lotes.end()) return std::nullopt;
  pendente = it->second.consultasPendentes > 0;
  if (pendente) --it->second.consultasPendentes;
  return it->second;
}

void EsocialStore::Aceitar(EventoAceito evento) {
  std::lock_guard lock(m_mutex);
  m_aceitos.push_back(std::move(evento));
}

std::optional<EventoAceito> EsocialStore::Aceito(const std::string& id) const {
  std::lock_guard lock(m_mutex);
  auto it = std::find_if(m_aceitos.begin(), m_aceitos.end(),
                         [&](const EventoAceito& e) { return e.id == id; });
  if (it == m_aceitos.end()) return std::nullopt;
  return *it;
}

std::optional<EventoAceito> EsocialStore::AceitoPorRecibo(const std::string& nrRecibo) const {
  std::lock_guard lock(m_mutex);
  auto it = std::find_if(m_aceitos.begin(), m_aceitos.end(),
                         [&](const EventoAceito& e) { return e.nrRecibo == nrRecibo; });
  if (it == m_aceitos.end()) return std::nullopt;
  return *it;
}

std::vector<EventoAceito> EsocialStore::Aceitos() const {
  std::lock_guard lock(m_mutex);
  return m_aceitos;
}

void EsocialStore::AdicionarBases(const std::string& periodo,
                                  const std::vector<BaseCalculo>& bases) {
  std::lock_guard lock(m_mutex);
  auto& lista = m_bases[periodo];
  lista.insert(lista.end(), bases.begin(), bases.end());
}

std::vector<BaseCalculo> EsocialStore::Bases(const std::string& periodo) const {
  std::lock_guard lock(m_mutex);
  auto it = m_bases.find(periodo);
  return it == m_bases.end() ? std::vector<BaseCalculo>{} : it->second;
}

}  // namespace luvaro::sim::esocial
