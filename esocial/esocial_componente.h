#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dfe/config/dfe_componente.h"
#include "dfe/xml/data_hora.h"
#include "esocial/configuracoes_esocial.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

class TEventos;
class TWebServices;

// Sees every request and raw reply of the four services. It is handed a copy: changing AXML
// changes nothing in the call.
using TNotifyEventoseSocial = std::function<void(std::string& AXML, TeSocialEventos ATipo)>;

// The object through which the eSocial workers reach eSocial: the framework's component with
// the eSocial configuration, the event container and the four service calls, answering the
// framework's protocol questions (model, namespace, service sections and keys, versions,
// schema names) for eSocial.
class TeSocialComponente : public TDFeComponente {
 public:
  explicit TeSocialComponente(const std::string& PathAplicacao = "");
  ~TeSocialComponente() override;

  TConfiguracoeseSocial& Configuracoes() {
    return static_cast<TConfiguracoeseSocial&>(*FPConfiguracoes);
  }
  const TConfiguracoeseSocial& Configuracoes() const {
    return static_cast<const TConfiguracoeseSocial&>(*FPConfiguracoes);
  }

  TEventos& Eventos() { return *FEventos; }
  const TEventos& Eventos() const { return *FEventos; }

  TStatuseSocial Status() const { return FStatus; }
  // Stores a different status and then calls OnStatusChange; the same status does nothing.
  void SetStatus(TStatuseSocial stNewStatus);

  const TNotifyEventoseSocial& OnTransmissaoEventos() const { return FOnTransmissaoEventos; }
  void SetOnTransmissaoEventos(TNotifyEventoseSocial handler) {
    FOnTransmissaoEventos = std::move(handler);
  }

  // --- the four service calls (esocial/esocial_web_services.h); each operation returns true
  // or raises.
  TWebServices& WebServices();
  // Clears the send-lot call, then sends the container's events as one lot.
  bool Enviar(int grupo);
  bool Consultar(const std::string& AProtocolo);
  bool ConsultaIdentificadoresEventosEmpregador(const std::string& CnpjEstab, TTipoEvento tpEvt,
                                                DateTime PerApur);
  bool ConsultaIdentificadoresEventosTabela(const std::string& CnpjEstab, TTipoEvento tpEvt,
                                            const std::string& AchEvt, DateTime AdtIni,
                                            DateTime AdtFim);
  bool ConsultaIdentificadoresEventosTrabalhador(const std::string& CnpjEstab,
                                                 const std::string& AcpfTrab, DateTime AdtIni,
                                                 DateTime AdtFim);
  bool DownloadEventos(const std::string& CnpjEmpr, const std::string& PorID,
                       const std::string& PorNrRecibo);

  // Builds every event from its data and saves the files when Geral.Salvar is set.
  void AssinarEventos();

  using TDFeComponente::LerServicoDeParams;
  using TDFeComponente::LerVersaoDeParams;
  // The address of a service in "eSocial_H" (restricted production) or "eSocial_P"; Versao
  // becomes the configured layout version's number whatever the table holds.
  void LerServicoDeParams(TLayOut LayOutServico, double& Versao, std::string& URL);
  // The framework's version lookup for the service, formatted "0.00".
  std::string LerVersaoDeParams(TLayOut LayOutServico);

  std::string GetNomeModeloDFe() override;
  // The lot-sending namespace, stored with one leading blank (the send call trims it for its
  // SOAP action; every other use keeps it).
  std::string GetNameSpaceURI() override;
  // The schema base name of a service key (case ignored); empty for other keys.
  std::string NomeServicoParaSchema(const std::string& NomeServico) override;
  // 2.05 gives "2_0_5"; 0 or less gives "".
  std::string VersaoParaTexto(double Versao) override;
  // "2_0_5" gives 2.05, "2" gives 2; 0 when the text is no number.
  double TextoParaVersao(const std::string& VersaoStr) override;

 protected:
  std::unique_ptr<TConfiguracoes> CriarConfiguracoes() override;

 private:
  std::unique_ptr<TEventos> FEventos;
  TStatuseSocial FStatus = TStatuseSocial::stIdle;
  std::unique_ptr<TWebServices> FWebServices;
  TNotifyEventoseSocial FOnTransmissaoEventos;
};

}  // namespace luvaro
