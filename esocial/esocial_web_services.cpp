// TWebServices and the component's operations that forward to it.

#include "esocial/esocial_web_services.h"

#include "dfe/xml/texto.h"
#include "esocial/esocial_componente.h"

namespace luvaro {

TWebServices::TWebServices(TeSocialComponente& AOwner)
    : FEnvioLote(std::make_unique<TEnvioLote>(AOwner)),
      FConsultaLote(std::make_unique<TConsultaLote>(AOwner)),
      FConsultaIdentEventos(std::make_unique<TConsultaIdentEventos>(AOwner)),
      FDownloadEventos(std::make_unique<TDownloadEventos>(AOwner)) {}

TWebServices::~TWebServices() = default;

bool TWebServices::Executar(TeSocialWebService& chamada) {
  const bool resultado = chamada.Executar();
  if (!resultado) chamada.RegistrarErro(chamada.Msg());
  return resultado;
}

bool TWebServices::Envia(int grupo) {
  FEnvioLote->Clear();
  FEnvioLote->SetGrupo(grupo);
  return Executar(*FEnvioLote);
}

bool TWebServices::Consultar(const std::string& AProtocolo) {
  FConsultaLote->Clear();
  FConsultaLote->SetProtocolo(AProtocolo);
  return Executar(*FConsultaLote);
}

bool TWebServices::ConsultaIdentificadoresEventosEmpregador(const std::string& CnpjEstab,
                                                            TTipoEvento tpEvt, DateTime PerApur) {
  TConsultaIdentEventos& c = *FConsultaIdentEventos;
  c.Clear();
  c.SettipoConsulta(tpConsulta::tcEmpregador);
  c.SetCnpj(CnpjEstab);
  c.SetEvento(tpEvt);
  c.SetPerApur(PerApur);
  c.SetmetodoConsulta("Empregador");
  return Executar(c);
}

bool TWebServices::ConsultaIdentificadoresEventosTabela(const std::string& CnpjEstab,
                                                        TTipoEvento tpEvt,
                                                        const std::string& AchEvt, DateTime AdtIni,
                                                        DateTime AdtFim) {
  TConsultaIdentEventos& c = *FConsultaIdentEventos;
  c.Clear();
  c.SettipoConsulta(tpConsulta::tcTabela);
  c.SetCnpj(CnpjEstab);
  c.SetEvento(tpEvt);
  c.SetchEvt(AchEvt);
  c.SetdtIni(AdtIni);
  c.SetdtFim(AdtFim);
  c.SetmetodoConsulta("Tabela");
  return Executar(c);
}

bool TWebServices::ConsultaIdentificadoresEventosTrabalhador(const std::string& CnpjEstab,
                                                             const std::string& AcpfTrab,
                                                             DateTime AdtIni, DateTime AdtFim) {
  TConsultaIdentEventos& c = *FConsultaIdentEventos;
  c.Clear();
  c.SettipoConsulta(tpConsulta::tcTrabalhador);
  c.SetCnpj(CnpjEstab);
  c.SetcpfTrab(AcpfTrab);
  c.SetdtIni(AdtIni);
  c.SetdtFim(AdtFim);
  c.SetmetodoConsulta("Trabalhador");
  return Executar(c);
}

bool TWebServices::DownloadEvento(const std::string& ACnpjEmpr, const std::string& APorID,
                                  const std::string& APorNrRecibo) {
  TDownloadEventos& d = *FDownloadEventos;
  d.Clear();
  d.SetTipoDownload(APorID.empty() ? "PorNrRecibo" : "PorId");
  d.SetCnpj(ACnpjEmpr.size() == 14 ? ACnpjEmpr.substr(0, 8) : ACnpjEmpr);
  d.SetPorID(trimText(APorID));
  d.SetPorNrRecibo(trimText(APorNrRecibo));
  return Executar(d);
}

// --- the component's operations

TWebServices& TeSocialComponente::WebServices() {
  return *FWebServices;
}

bool TeSocialComponente::Enviar(int grupo) {
  FWebServices->EnvioLote().Clear();
  return FWebServices->Envia(grupo);
}

bool TeSocialComponente::Consultar(const std::string& AProtocolo) {
  return FWebServices->Consultar(AProtocolo);
}

bool TeSocialComponente::ConsultaIdentificadoresEventosEmpregador(const std::string& CnpjEstab,
                                                                  TTipoEvento tpEvt,
                                                                  DateTime PerApur) {
  return FWebServices->ConsultaIdentificadoresEventosEmpregador(CnpjEstab, tpEvt, PerApur);
}

bool TeSocialComponente::ConsultaIdentificadoresEventosTabela(const std::string& CnpjEstab,
                                                              TTipoEvento tpEvt,
                                                              const std::string& AchEvt,
                                                              DateTime AdtIni, DateTime AdtFim) {
  return FWebServices->ConsultaIdentificadoresEventosTabela(CnpjEstab, tpEvt, AchEvt, AdtIni,
                                                            AdtFim);
}

bool TeSocialComponente::ConsultaIdentificadoresEventosTrabalhador(const std::string& CnpjEstab,
                                                                   const std::string& AcpfTrab,
                                                                   DateTime AdtIni,
                                                                   DateTime AdtFim) {
  return FWebServices->ConsultaIdentificadoresEventosTrabalhador(CnpjEstab, AcpfTrab, AdtIni,
                                                                 AdtFim);
}

bool TeSocialComponente::DownloadEventos(const std::string& CnpjEmpr, const std::string& PorID,
                                         const std::string& PorNrRecibo) {
  return FWebServices->DownloadEvento(CnpjEmpr, PorID, PorNrRecibo);
}

}  // namespace luvaro
