#pragma once

#include <exception>
#include <string>

namespace luvaro {

class TConfiguracoes;
class TDFeComponente;
class TGeradorOpcoes;

// One call to a government web service. The base fixes the order of the steps (Executar),
// builds the SOAP envelope, saves the request and the reply, sends through the component's
// security facade or its OnTransmit hook, logs, and turns every failure into one message raised
// through the component's GerarException. A derived class supplies the protocol:
//  - DefinirURL sets FPURL (and usually FPVersaoServico) from the service address table;
//  - DefinirServicoEAction sets FPServico and FPSoapAction ("*" means: no SOAP action);
//  - DefinirDadosMsg sets FPDadosMsg, signing with AssinarDados where the protocol wants it;
//  - TratarResposta extracts FPRetWS from FPRetornoWS (ExtrairElemento and its companions,
//    dfe/ws/resposta_ws.h), reads it and returns the call's result;
//  - ClassName names the class in the "não implementado" and "não definida" messages;
// and, where it needs them, FPArqEnv / FPArqResp (names of the saved files), FPMimeType, the
// envelope fields, MontarMsgLog, MontarMsgErro and the other virtual steps.
//
// A call runs on the thread that calls Executar; the object may run it several times.
class TDFeWebService {
 public:
  explicit TDFeWebService(TDFeComponente& AOwner);
  virtual ~TDFeWebService();
  TDFeWebService(const TDFeWebService&) = delete;  // bound to its component
  TDFeWebService& operator=(const TDFeWebService&) = delete;

  // Empties FPDadosMsg, FPRetornoWS, FPRetWS and FPMsg.
  virtual void Clear();
  // Runs the call; false when a failure was reported and the log hook handled it, or when
  // TratarResposta says so.
  virtual bool Executar();

  // Copies the component's writer settings into AOpcoes (FormatoAlerta, RetirarAcentos,
  // RetirarEspacos, IdentarXML, and WebServices.QuebradeLinha as QuebraLinha) and makes the
  // process-wide time-zone setting, when the component has one attached
  // (TDFeComponente::TimeZoneProcesso), equal to WebServices.TimeZoneConf.
  void AplicarOpcoesGerador(TGeradorOpcoes& AOpcoes);

  // The class name used in messages; derived classes return their own.
  virtual std::string ClassName() const { return "TDFeWebService"; }

  // --- properties (the fields below without their FP prefix)
  const std::string& SoapVersion() const { return FPSoapVersion; }
  void SetSoapVersion(const std::string& value) { FPSoapVersion = value; }
  const std::string& SoapEnvelopeAtributtes() const { return FPSoapEnvelopeAtributtes; }
  void SetSoapEnvelopeAtributtes(const std::string& value) { FPSoapEnvelopeAtributtes = value; }
  const std::string& HeaderElement() const { return FPHeaderElement; }
  void SetHeaderElement(const std::string& value) { FPHeaderElement = value; }
  const std::string& BodyElement() const { return FPBodyElement; }
  void SetBodyElement(const std::string& value) { FPBodyElement = value; }
  const std::string& Servico() const { return FPServico; }
  const std::string& SoapAction() const { return FPSoapAction; }
  const std::string& MimeType() const { return FPMimeType; }
  void SetMimeType(const std::string& value) { FPMimeType = value; }
  const std::string& URL() const { return FPURL; }
  const std::string& VersaoServico() const { return FPVersaoServico; }
  const std::string& CabMsg() const { return FPCabMsg; }
  const std::string& DadosMsg() const { return FPDadosMsg; }
  const std::string& EnvelopeSoap() const { return FPEnvelopeSoap; }
  const std::string& RetornoWS() const { return FPRetornoWS; }
  const std::string& RetWS() const { return FPRetWS; }
  const std::string& Msg() const { return FPMsg; }
  const std::string& ArqEnv() const { return FPArqEnv; }
  void SetArqEnv(const std::string& value) { FPArqEnv = value; }
  const std::string& ArqResp() const { return FPArqResp; }
  void SetArqResp(const std::string& value) { FPArqResp = value; }

 protected:
  // Logs through the component's FazerLog; when the hook did not handle it, Exibir is set and
  // WebServices.Visualizar is on, the text is also shown in an information box through the
  // facade's front (when one is set).
  virtual void RegistrarLog(const std::string& Msg, bool Exibir = false);
  // The component's GerarException: logged as "ERRO: " + text, raised unless handled.
  virtual void RegistrarErro(const std::string& Msg, const std::exception* E = nullptr);
  // Clear, DefinirURL, DefinirServicoEAction and their checks.
  virtual void PrepararServico();
  virtual void DefinirServicoEAction();
  virtual void DefinirURL();
  virtual void DefinirDadosMsg();
  // Belongs to an external integrator component this program does not use; nothing.
  virtual void PrepararIntegrador();
  virtual void MontarEnvelopeSoap();
  virtual void GravarEnvio();
  virtual void Transmitir();
  virtual bool TratarResposta();
  virtual void GravarResposta();
  virtual void EncerrarServico();
  // Fails with "Erro ao obter resposta do webservice." (+ CR LF + the reply) on an empty
  // FPRetWS.
  virtual void ExigirResposta();
  // The component's namespace URI + "/wsdl/".
  virtual std::string UrlWsdl();
  // Signs ConteudoXML through the facade into FPDadosMsg; a failure is reported through
  // RegistrarErro as MsgErro (+ CR LF when not empty) + the failure's message.
  virtual void AssinarDados(const std::string& ConteudoXML, const std::string& docElement,
                            const std::string& infElement, const std::string& SignatureNode = "",
                            const std::string& SelectionNamespaces = "",
                            const std::string& IdSignature = "", const std::string& MsgErro = "");
  virtual std::string MontarMsgLog();
  virtual std::string MontarMsgErro(const std::exception& E);
  // MontarUFSoap + GerarVersaoDadosSoap.
  virtual std::string MontarCabecalhoSoap();
  virtual std::string GerarVersaoDadosSoap();
  // "<cUF>" + the state's IBGE code + "</cUF>".
  virtual std::string MontarUFSoap();
  // The current local date and time as yyyymmddhhnnss.
  virtual std::string PrefixoArquivo();

  TDFeComponente* FPDFeOwner;
  TConfiguracoes* FPConfiguracoes;

  std::string FPSoapVersion;
  std::string FPSoapEnvelopeAtributtes;
  std::string FPHeaderElement;
  std::string FPBodyElement;
  std::string FPServico;
  std::string FPSoapAction;
  std::string FPMimeType;
  std::string FPURL;
  std::string FPVersaoServico;
  std::string FPCabMsg;
  std::string FPDadosMsg;
  std::string FPEnvelopeSoap;
  std::string FPRetornoWS;
  std::string FPRetWS;
  std::string FPMsg;
  std::string FPArqEnv;
  std::string FPArqResp;

 private:
  // A "não implementado" failure of a step the derived class must supply.
  void NaoImplementado(const std::string& Metodo);
};

}  // namespace luvaro
