#pragma once

#include <memory>
#include <string>

#include "dfe/xml/data_hora.h"
#include "esocial/esocial_conversao.h"
#include "esocial/esocial_web_service_download.h"
#include "esocial/esocial_web_service_ident.h"
#include "esocial/esocial_web_service_lote.h"

namespace luvaro {

class TeSocialComponente;

// The four eSocial service calls of one component and the operations that run them. Each
// operation returns true or raises: a call that returned false (a failure the log hook
// handled) runs the error path with its Msg, which raises unless the hook handles it again.
class TWebServices {
 public:
  explicit TWebServices(TeSocialComponente& AOwner);
  ~TWebServices();
  TWebServices(const TWebServices&) = delete;  // the calls are bound to one component
  TWebServices& operator=(const TWebServices&) = delete;

  TEnvioLote& EnvioLote() { return *FEnvioLote; }
  TConsultaLote& ConsultaLote() { return *FConsultaLote; }
  TConsultaIdentEventos& ConsultaIdentEventos() { return *FConsultaIdentEventos; }
  TDownloadEventos& DownloadEventos() { return *FDownloadEventos; }

  // Sends the container's events as one lot with the group number.
  bool Envia(int grupo);
  // The processing result of a lot.
  bool Consultar(const std::string& AProtocolo);
  bool ConsultaIdentificadoresEventosEmpregador(const std::string& CnpjEstab, TTipoEvento tpEvt,
                                                DateTime PerApur);
  bool ConsultaIdentificadoresEventosTabela(const std::string& CnpjEstab, TTipoEvento tpEvt,
                                            const std::string& AchEvt, DateTime AdtIni,
                                            DateTime AdtFim);
  bool ConsultaIdentificadoresEventosTrabalhador(const std::string& CnpjEstab,
                                                 const std::string& AcpfTrab, DateTime AdtIni,
                                                 DateTime AdtFim);
  // By identifier when APorID is not empty, else by receipt; a 14-character ACnpjEmpr is cut
  // to its root (8 characters); identifiers and receipts are trimmed.
  bool DownloadEvento(const std::string& ACnpjEmpr, const std::string& APorID,
                      const std::string& APorNrRecibo);

 private:
  // Executar, and the error path with the call's Msg when it returned false.
  static bool Executar(TeSocialWebService& chamada);

  std::unique_ptr<TEnvioLote> FEnvioLote;
  std::unique_ptr<TConsultaLote> FConsultaLote;
  std::unique_ptr<TConsultaIdentEventos> FConsultaIdentEventos;
  std::unique_ptr<TDownloadEventos> FDownloadEventos;
};

}  // namespace luvaro
