#pragma once

#include <exception>
#include <memory>
#include <string>

#include "dfe/ws/dfe_web_service.h"
#include "dfe/xml/data_hora.h"
#include "reinf/lote_eventos.h"
#include "reinf/reinf_conversao.h"
#include "reinf/ret_consulta.h"
#include "reinf/ret_envio_lote.h"

namespace luvaro::reinf {

class TReinfComponente;
class TConfiguracoesReinf;
class TEnvioLoteAssincrono;
class TConsultarLoteAssincrono;

// What the three EFD-Reinf calls share: the SOAP 1.1 envelope constants, the status the call
// reports while it runs, the address from the table by layout and version, the client
// certificate on the HTTPS request, and the decoding of the extracted reply.
class TReinfWebService : public TDFeWebService {
 public:
  explicit TReinfWebService(TReinfComponente& AOwner);

  // The framework's clearing, status stIdle and the client certificate for HTTPS; the calls
  // then set their own values and a new reply object.
  void Clear() override;

  TStatusReinf Status() const { return FPStatus; }
  TLayOutReinf Layout() const { return FPLayout; }
  TVersaoReinf VersaoDF() const { return FVersaoDF; }

 protected:
  void PrepararServico() override;
  void DefinirURL() override;
  void EncerrarServico() override;
  // Nothing writes a SOAP header: empty ("v1.03.0" goes into VersaoServico when it is empty).
  std::string GerarVersaoDadosSoap() override;
  // RetWS as the reply objects read it: UTF-8 (else Windows-1252) with the entities of the
  // escaped reply replaced.
  std::string RetWSDecodificado() const;
  // "Versão Layout: ... \r\nAmbiente: ... \r\n".
  std::string MsgLogVersaoAmbiente();
  // The envelope around a body element `elemento` holding `conteudo`.
  void MontarEnvelope(const std::string& elemento, const std::string& conteudo);
  // Saves a document the government returned, when Arquivos.Salvar is set.
  void SalvarDocumento(const std::string& identificador, const std::string& sufixo,
                       const std::string& conteudo);

  TReinfComponente* FPReinf;
  TConfiguracoesReinf* FPConfiguracoesReinf;
  TStatusReinf FPStatus = TStatusReinf::stIdle;
  TLayOutReinf FPLayout = TLayOutReinf::LayEnvioLoteEventos;
  TVersaoReinf FVersaoDF = TVersaoReinf::v1_03_00;
};

// The send-lot call: the lot of every loaded event, its reply with the R-5001 of each event.
class TEnvioLote : public TReinfWebService {
 public:
  explicit TEnvioLote(TReinfComponente& AOwner);
  void Clear() override;
  std::string ClassName() const override { return "TEnvioLote"; }

  TLoteEventos& Lote() { return *FLote; }
  TRetEnvioLote& RetEnvioLote() { return *FRetEnvioLote; }
  const std::string& Versao() const { return FVersao; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  void MontarEnvelopeSoap() override;
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string MontarMsgErro(const std::exception& E) override;

 private:
  std::unique_ptr<TLoteEventos> FLote;
  std::unique_ptr<TRetEnvioLote> FRetEnvioLote;
  std::string FVersao;
};

// The query of the consolidated information (R-5011) of a period closing, by its protocol.
class TConsultar : public TReinfWebService {
 public:
  explicit TConsultar(TReinfComponente& AOwner);
  void Clear() override;
  std::string ClassName() const override { return "TConsultar"; }

  const std::string& Protocolo() const { return FProtocolo; }
  void SetProtocolo(const std::string& value) { FProtocolo = value; }
  TRetConsulta& RetConsulta() { return *FRetConsulta; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  void MontarEnvelopeSoap() override;
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string PrefixoArquivo() override { return "Reinf"; }

 private:
  std::string FProtocolo;
  std::unique_ptr<TRetConsulta> FRetConsulta;
};

// The query of the receipts of one event type.
class TConsultarReciboEvento : public TReinfWebService {
 public:
  explicit TConsultarReciboEvento(TReinfComponente& AOwner);
  void Clear() override;
  std::string ClassName() const override { return "TConsultarReciboEvento"; }

  TTipoEvento tipoEvento() const { return FtipoEvento; }
  // Also sets tpEventoStr: the four digits of the type's code.
  void SettipoEvento(TTipoEvento value);
  const std::string& tpEventoStr() const { return FtpEventoStr; }
  const std::string& perApur() const { return FperApur; }
  void SetperApur(const std::string& value) { FperApur = value; }
  const std::string& nrInscEstab() const { return FnrInscEstab; }
  void SetnrInscEstab(const std::string& value) { FnrInscEstab = value; }
  const std::string& cnpjPrestador() const { return FcnpjPrestador; }
  void SetcnpjPrestador(const std::string& value) { FcnpjPrestador = value; }
  const std::string& nrInscTomador() const { return FnrInscTomador; }
  void SetnrInscTomador(const std::string& value) { FnrInscTomador = value; }
  DateTime dtApur() const { return FdtApur; }
  void SetdtApur(DateTime value) { FdtApur = value; }
  TRetConsulta& RetConsulta() { return *FRetConsulta; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  void MontarEnvelopeSoap() override;
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string PrefixoArquivo() override { return FtpEventoStr; }

 private:
  TTipoEvento FtipoEvento = TTipoEvento::teR1000;
  std::string FtpEventoStr = "1000";
  std::string FperApur;
  std::string FnrInscEstab;
  std::string FcnpjPrestador;
  std::string FnrInscTomador;
  DateTime FdtApur = 0;
  std::unique_ptr<TRetConsulta> FRetConsulta;
};

// The three calls of one component, and the two of the asynchronous lots (layout 2.1.2).
class TWebServices {
 public:
  explicit TWebServices(TReinfComponente& AOwner);
  ~TWebServices();
  TWebServices(const TWebServices&) = delete;  // the calls are bound to the component
  TWebServices& operator=(const TWebServices&) = delete;

  TEnvioLote& EnvioLote() { return FEnvioLote; }
  TConsultar& Consultar() { return FConsultar; }
  TConsultarReciboEvento& ConsultarReciboEvento() { return FConsultarReciboEvento; }
  TEnvioLoteAssincrono& EnvioLoteAssincrono() { return *FEnvioLoteAssincrono; }
  TConsultarLoteAssincrono& ConsultarLoteAssincrono() { return *FConsultarLoteAssincrono; }

  // Each runs its call; true, or raises (a failure the log hook handled also gives true).
  bool Envia();
  bool Consulta(const std::string& AProtocolo);
  bool ConsultaReciboEvento(const std::string& APerApur, TTipoEvento ATipoEvento,
                            const std::string& AnrInscEstab, const std::string& AcnpjPrestador,
                            const std::string& AnrInscTomador, DateTime AdtApur);
  // The asynchronous lot of the component's EventosAssincronos; the lot's state by protocol.
  bool EnviaAssincrono();
  bool ConsultaAssincrona(const std::string& AProtocolo);

 private:
  // The call's error path for a false result: its Msg through the component.
  void Concluir(TReinfWebService& chamada);

  TReinfComponente* FOwner;
  TEnvioLote FEnvioLote;
  TConsultar FConsultar;
  TConsultarReciboEvento FConsultarReciboEvento;
  std::unique_ptr<TEnvioLoteAssincrono> FEnvioLoteAssincrono;
  std::unique_ptr<TConsultarLoteAssincrono> FConsultarLoteAssincrono;
};

}  // namespace luvaro::reinf
