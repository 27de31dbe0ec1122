#pragma once

#include <memory>
#include <string>
#include <vector>

namespace luvaro {

// One lot from the ERP, as the workers need it.
struct TRecDadosTransmissao {
  std::string empregadorTipoInscricao;  // eSocial tpInsc code ("2": an individual, by CPF)
  std::string empregadorInscricao;      // employer number (eSocial) or contributor's document
  std::string transmissorInscricao;     // transmitter number; eSocial only
  std::vector<std::string> eventos;     // the event documents, one XML text each, in order
};

// How a worker fetches its lot and posts the government's replies back to the ERP. Held
// through std::shared_ptr: the start-up and the worker each keep a reference.
class IIntegrador {
 public:
  virtual ~IIntegrador() = default;

  // The lot to process; raises on any failure (no record then).
  virtual TRecDadosTransmissao GetDadosTransmissao() = 0;
  // Posts the government's raw reply to a sent lot (or to a table-event query); true, or raises.
  virtual bool EnviarRetornoEnvioXML(const std::string& pXMLRetorno) = 0;
  // Posts the government's raw reply to a protocol query; true, or raises.
  virtual bool EnviarRetornoConsultaProtocoloXML(const std::string& pXMLRetorno) = 0;
};

}  // namespace luvaro
