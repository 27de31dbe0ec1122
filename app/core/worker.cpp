#include "app/core/worker.h"

#include <utility>

namespace luvaro {

std::string TipoProjetoEfetivo(const TRecParametros& pParametros) {
  return pParametros.tipoProjeto.empty() ? std::string("esocial") : pParametros.tipoProjeto;
}

TEnderecosOrvane MontarEnderecosOrvane(const TRecParametros& pParametros) {
  const std::string tipo = TipoProjetoEfetivo(pParametros);
  const std::string base = pParametros.urlOrvaneXml + "spring/" + tipo;
  return {base + "/lotes", base + "/lotesRetorno", base + "/consultaProtocoloRetorno",
          pParametros.empresaKey, tipo};
}

void WorkerRegistry::Registrar(std::string pTipoProjeto, WorkerFactory pFabrica) {
  m_fabricas[std::move(pTipoProjeto)] = std::move(pFabrica);
}

const WorkerFactory* WorkerRegistry::Procurar(std::string_view pTipoProjeto) const {
  const auto it = m_fabricas.find(pTipoProjeto);
  return it == m_fabricas.end() ? nullptr : &it->second;
}

}  // namespace luvaro
