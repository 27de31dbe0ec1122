#pragma once

#include <memory>

#include "workers/transmissor.h"

namespace luvaro {

class TeSocialComponente;

// The worker of the project type "esocialbx": downloads a table event that eSocial already
// holds. The ERP hands it, as the lot's document, a prepared identifier query; the worker signs
// and sends it, and when the answer names events (cdResposta 201 or 203) it downloads the first
// one by its receipt number. The download's reply, or else the identifier query's, goes to the
// ERP's send-result endpoint. The same job runs for every process number.
class TesocialEbxTransmissor final : public TTransmissor {
 public:
  TesocialEbxTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente);
  ~TesocialEbxTransmissor() override;

  TeSocialComponente& eSocial() { return *FComponente; }

 protected:
  TDFeComponente& Componente() override;
  void SetarVersaoDF() override;
  void SetarEmissaoPath() override;
  bool SalvarArquivos() const override { return true; }
  void ExecutarProcesso() override;

 private:
  // "Consultando eventos de tabela...": the employer number from the company key, the layout
  // version of the query, then MontarEventos and EnviarEventos.
  void ProcessarConsultaEventosTabela();
  // "Buscando eventos...": the lot from the ERP, the document folder step and
  // "Montando eventos...": each document becomes the prepared request; the last one stays.
  void MontarEventos();
  // "Enviando eventos...": the identifier query, "Avaliando Retorno...", the download of the
  // first receipt when events were found, and the reply posted to the ERP.
  void EnviarEventos();

  std::unique_ptr<TeSocialComponente> FComponente;
};

}  // namespace luvaro
