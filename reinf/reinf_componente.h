#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dfe/config/dfe_componente.h"
#include "dfe/xml/data_hora.h"
#include "reinf/configuracoes_reinf.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

class TEventos;
class TLoteAssincrono;
class TWebServices;

// Sees every request and extracted reply of the three services. It is handed a copy: changing
// AXML changes nothing in the call.
using TNotifyEventosReinf = std::function<void(std::string& AXML, TEventosReinf ATipo)>;

// The object through which the EFD-Reinf worker reaches EFD-Reinf: the framework's component
// with the EFD-Reinf configuration, the event container and the three service calls, answering
// the framework's protocol questions (model, namespace, service sections and keys, versions,
// schema names) for EFD-Reinf. It belongs to one thread.
class TReinfComponente : public TDFeComponente {
 public:
  explicit TReinfComponente(const std::string& PathAplicacao = "");
  ~TReinfComponente() override;

  TConfiguracoesReinf& Configuracoes() {
    return static_cast<TConfiguracoesReinf&>(*FPConfiguracoes);
  }
  const TConfiguracoesReinf& Configuracoes() const {
    return static_cast<const TConfiguracoesReinf&>(*FPConfiguracoes);
  }

  TEventos& Eventos() { return *FEventos; }
  const TEventos& Eventos() const { return *FEventos; }
  // The signed events of layout 2.1.x, for the asynchronous lot.
  TLoteAssincrono& EventosAssincronos() { return *FEventosAssincronos; }
  const TLoteAssincrono& EventosAssincronos() const { return *FEventosAssincronos; }
  TWebServices& WebServices() { return *FWebServices; }
  const TWebServices& WebServices() const { return *FWebServices; }

  TStatusReinf Status() const { return FStatus; }
  // Stores a different status and then calls OnStatusChange; the same status does nothing.
  void SetStatus(TStatusReinf stNewStatus);

  const TNotifyEventosReinf& OnTransmissaoEventos() const { return FOnTransmissaoEventos; }
  void SetOnTransmissaoEventos(TNotifyEventosReinf handler) {
    FOnTransmissaoEventos = std::move(handler);
  }
  // Shows the hook, when one is assigned, a copy of AXML.
  void NotificarTransmissao(const std::string& AXML, TEventosReinf ATipo);

  // --- the three service calls; true, or they raise
  // Sends every loaded event in one lot.
  bool Enviar();
  // The consolidated information of a period closing, by its protocol.
  bool Consultar(const std::string& AProtocolo);
  bool ConsultaReciboEvento(const std::string& APerApur, TTipoEvento ATipoEvento,
                            const std::string& AnrInscEstab, const std::string& AcnpjPrestador,
                            const std::string& AnrInscTomador, DateTime AdtApur);
  // Layout 2.1.2: posts the asynchronous lot of EventosAssincronos; queries a lot's state by
  // its protocol. True, or they raise; a status other than success raises.
  bool EnviarAssincrono();
  bool ConsultarAssincrono(const std::string& AProtocolo);

  // Builds every event from its data and saves the files when Geral.Salvar is set.
  void AssinarEventos();

  using TDFeComponente::LerServicoDeParams;
  using TDFeComponente::LerVersaoDeParams;
  // The address of a service in "Reinf_H" (restricted production) or "Reinf_P", for the layout
  // version number passed in Versao; Versao then becomes the configured version's number,
  // whatever the table held.
  void LerServicoDeParams(TLayOutReinf LayOutServico, double& Versao, std::string& URL);
  // The framework's version lookup for the service, formatted "0.00". The address table has no
  // section of the general form the lookup reads, so it raises the framework's missing-section
  // error; nothing in the program calls it.
  std::string LerVersaoDeParams(TLayOutReinf LayOutServico);

  std::string GetNomeModeloDFe() override;
  // The service namespace base + "/RecepcaoLoteReinf".
  std::string GetNameSpaceURI() override;
  // The schema base name of a service key (case ignored); empty for other keys.
  std::string NomeServicoParaSchema(const std::string& NomeServico) override;
  // 1.32 gives "1_3_2"; 0 or less gives "".
  std::string VersaoParaTexto(double Versao) override;
  // "1_3_2" gives 1.32, "1" gives 1; 0 when the text is no number.
  double TextoParaVersao(const std::string& VersaoStr) override;

 protected:
  std::unique_ptr<TConfiguracoes> CriarConfiguracoes() override;

 private:
  std::unique_ptr<TEventos> FEventos;
  std::unique_ptr<TLoteAssincrono> FEventosAssincronos;
  TStatusReinf FStatus = TStatusReinf::stIdle;
  std::unique_ptr<TWebServices> FWebServices;
  TNotifyEventosReinf FOnTransmissaoEventos;
};

}  // namespace luvaro::reinf
