#pragma once

#include <memory>

#include "workers/transmissor.h"

namespace luvaro {

class TeSocialComponente;

// The worker of the project type "esocial": sends a lot of eSocial events fetched from the ERP
// (process 0) or queries a sent lot by its protocol (process 1), and posts the government's
// raw reply back to the ERP. Configured for the token path: the system certificate store and
// HTTP stack, libxml2 signing, and the layout version 5, which names no schema version (the
// service judges each event against its own schema).
class TeSocialTransmissor final : public TTransmissorLote {
 public:
  TeSocialTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente);
  ~TeSocialTransmissor() override;

  TeSocialComponente& eSocial() { return *FComponente; }

 protected:
  TDFeComponente& Componente() override;
  void SetarVersaoDF() override;
  void SetarEmissaoPath() override;
  void MontarEventos() override;
  void EnviarEventos() override;
  void ProcessarConsultaProtocolo() override;

 private:
  std::unique_ptr<TeSocialComponente> FComponente;
};

}  // namespace luvaro
