#pragma once

#include <memory>

#include "workers/transmissor.h"

namespace luvaro {

namespace reinf {
class TReinfComponente;
}  // namespace reinf

// The worker of the project type "reinf": sends a lot of EFD-Reinf events fetched from the ERP
// (process 0) or queries the consolidated information of a period closing by its protocol
// (process 1), and posts the government's raw reply back to the ERP. Configured like the
// eSocial worker, with the layout version 1.04.00. The contributor is the lot's registration
// number in a send run and the company key in a query run; the ERP sends no transmitter for
// this project type, so the documents land in Docs/MMyyyy.
//
// Documents of layout 2.1.x take the asynchronous road instead (layout 2.1.2): each is signed
// and checked, the lot is posted to the REST reception service, and its reply (with the lot's
// protocol) goes to the ERP where the send reply goes. A query whose protocol has the
// asynchronous form ("1.202003.123") fetches that lot's state from the REST query service. A
// lot that mixes both layouts is refused before anything is signed or sent.
class TreinfTransmissor final : public TTransmissorLote {
 public:
  TreinfTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente);
  ~TreinfTransmissor() override;

  reinf::TReinfComponente& Reinf() { return *FComponente; }

 protected:
  TDFeComponente& Componente() override;
  void SetarVersaoDF() override;
  void SetarEmissaoPath() override;
  void MontarEventos() override;
  void EnviarEventos() override;
  void ProcessarConsultaProtocolo() override;

 private:
  // The send of the asynchronous road: the lot posted, its reply to the ERP.
  void EnviarEventosAssincronos();

  std::unique_ptr<reinf::TReinfComponente> FComponente;
  bool FViaAssincrona = false;  // the ERP's lot holds 2.1.x documents
};

}  // namespace luvaro
