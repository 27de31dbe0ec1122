#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dfe/config/config_types.h"
#include "dfe/config/configuracoes.h"
#include "dfe/config/ini.h"

namespace luvaro {

class ProcessTimeZone;
class TDFeSSL;
class TDFeComponente;

// The web-service call hands its request to this handler instead of the HTTPS transport.
using TDFeOnTransmit =
    std::function<void(const std::string& Dados, const std::string& URL,
                       const std::string& SoapAction, const std::string& MimeType,
                       std::string& Resposta, int& HTTPResultCode, int& InternalErrorCode)>;
// Raised by the web-service call when a transmission fails.
using TDFeOnTransmitError = std::function<void(
    int HttpError, int InternalError, const std::string& URL, const std::string& DadosEnviados,
    const std::string& SoapAction, bool& Retentar, bool& Tratado)>;
// The log hook; setting Tratado marks a reported error as handled.
using TDFeGravarLog = std::function<void(const std::string& ALogLine, bool& Tratado)>;
using TDFeNotifyEvent = std::function<void(TDFeComponente& Sender)>;

// The base of the protocol components: it owns the configuration, the security facade into
// which the configuration writes through, and the service address table; it saves XML files,
// logs, raises errors that the log hook may swallow, and finds schema files.
//
// The application folder (where Docs/, Schemas/ and the external service table live) is given
// at construction; the program passes TUtil::GetAppPath(). An empty one makes those paths
// relative to the working folder. Its cadeias/ subfolder becomes the security facade's
// PastaCadeias (none without an application folder).
//
// C++ does not dispatch virtual calls from a base constructor: a derived component that
// overrides CriarConfiguracoes or GetNameSpaceURI calls InicializarConfiguracoes() at the end
// of its own constructor.
class TDFeComponente {
 public:
  explicit TDFeComponente(const std::string& PathAplicacao = "");
  virtual ~TDFeComponente();
  TDFeComponente(const TDFeComponente&) = delete;  // the configuration points back to it
  TDFeComponente& operator=(const TDFeComponente&) = delete;

  TDFeSSL& SSL() { return *FSSL; }
  // The facade, or null while the component is being built (the groups' write-through).
  TDFeSSL* SSLSeDisponivel() { return FInicializado ? FSSL.get() : nullptr; }
  TConfiguracoes& Configuracoes() { return *FPConfiguracoes; }
  const TConfiguracoes& Configuracoes() const { return *FPConfiguracoes; }
  // The application folder with a trailing delimiter ("" when none was given).
  const std::string& PathAplicacao() const { return FPathAplicacao; }

  const TDFeOnTransmit& OnTransmit() const { return FOnTransmit; }
  void SetOnTransmit(TDFeOnTransmit handler) { FOnTransmit = std::move(handler); }
  const TDFeOnTransmitError& OnTransmitError() const { return FOnTransmitError; }
  void SetOnTransmitError(TDFeOnTransmitError handler) { FOnTransmitError = std::move(handler); }
  const TDFeNotifyEvent& OnStatusChange() const { return FOnStatusChange; }
  void SetOnStatusChange(TDFeNotifyEvent handler) { FOnStatusChange = std::move(handler); }
  const TDFeGravarLog& OnGerarLog() const { return FOnGerarLog; }
  void SetOnGerarLog(TDFeGravarLog handler) { FOnGerarLog = std::move(handler); }

  // The process-wide time-zone setting (made in main(), see dfe/ws/process_time_zone.h) that
  // the component's web-service calls make equal to WebServices.TimeZoneConf when they prepare
  // their writer; not owned, may be null (then the calls leave it alone).
  ProcessTimeZone* TimeZoneProcesso() const { return FTimeZoneProcesso; }
  void SetTimeZoneProcesso(ProcessTimeZone* value) { FTimeZoneProcesso = value; }

  // Writes an XML file (UTF-8, with a UTF-8 declaration put before a content that has none).
  // The folder is NomeArquivo's, else aPath, else Arquivos.PathSalvar; it is created when
  // missing. A failure goes through GerarException as "Erro ao salvar." + CR LF + the reason:
  // raised, or false when the log hook handled it. In memory every text is UTF-8 already, so
  // ConteudoEhUTF8 changes nothing in the bytes written.
  bool Gravar(const std::string& NomeArquivo, const std::string& ConteudoXML,
              const std::string& aPath = "", bool ConteudoEhUTF8 = true);
  // Tratado := false; an assigned log hook then sees a non-empty Msg.
  void FazerLog(const std::string& Msg, bool& Tratado);
  // Logs "ERRO: " + the text (Msg, plus CR LF and E's message when given) and raises
  // EDFeException with the text unless the log hook handled it.
  void GerarException(const std::string& Msg, const std::exception* E = nullptr);

  // --- service address table
  // Loads WebServices.Params (filled first from the external file or the embedded table when
  // empty) into the in-memory table.
  virtual void CarregarParamsIni(bool SomenteSeNaoCarregado = true);
  // The URL of NomeServico in NomeSessao for the layout version Versao: the key
  // "NomeServico_9.99" of that version, else the nearest lower version present, else the plain
  // key. Versao becomes the version used (0 for the plain key). A missing section leaves URL
  // empty and Versao unchanged.
  void LerServicoChaveDeParams(const std::string& NomeSessao, const std::string& NomeServico,
                               double& Versao, std::string& URL);
  void LerDeParams(const std::string& NomeSessao, const std::string& NomeServico, double& Versao,
                   std::string& Servico);
  // The general form over the section ModeloDFe_UF_H/P, with "WSDL"/"SoapAction" sections and
  // "Usar" redirection. Raises EDFeException for an empty model or state, a missing section, a
  // section without the service and without "Usar", and circular redirection.
  void LerServicoDeParams(const std::string& ModeloDFe, const std::string& UF,
                          TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                          double& Versao, std::string& URL, std::string& Servico,
                          std::string& SoapAction);
  void LerServicoDeParams(const std::string& ModeloDFe, const std::string& UF,
                          TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                          double& Versao, std::string& URL);
  double LerVersaoDeParams(const std::string& ModeloDFe, const std::string& UF,
                           TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                           double VersaoBase);
  std::string LerURLDeParams(const std::string& ModeloDFe, const std::string& UF,
                             TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                             double VersaoBase);
  const IniFile& IniParams() const { return FPIniParams; }
  bool IniParamsCarregado() const { return FPIniParamsCarregado; }

  // --- schema files
  virtual std::string NomeServicoParaSchema(const std::string& NomeServico);
  virtual std::string ExtrairVersaoDoSchema(const std::string& NomeArquivo);
  virtual std::string VersaoParaTexto(double Versao);
  virtual double TextoParaVersao(const std::string& VersaoStr);
  // The path of the schema file BaseSchema_v<Versao>.xsd in Arquivos.PathSchemas (letter case
  // ignored), else of the highest lower version present (Versao becomes the one found, 0 when
  // none). EDFeException when the folder has no .xsd file at all.
  virtual std::string LocalizarArqSchema(const std::string& NomeSchema, double& Versao);
  virtual std::string GetNomeModeloDFe();
  virtual std::string GetNameSpaceURI();

 protected:
  virtual std::unique_ptr<TConfiguracoes> CriarConfiguracoes();
  // Makes the configuration through CriarConfiguracoes, mirrors it into the facade and marks
  // the service table not loaded.
  void InicializarConfiguracoes();

  std::unique_ptr<TConfiguracoes> FPConfiguracoes;
  IniFile FPIniParams;
  bool FPIniParamsCarregado = false;
  std::string FPSeparadorVersaoSchema = "_v";

 private:
  std::string FPathAplicacao;
  std::unique_ptr<TDFeSSL> FSSL;
  bool FInicializado = false;
  std::vector<std::string> FListaDeSchemas;
  std::string FPathSchemas;
  TDFeOnTransmit FOnTransmit;
  TDFeOnTransmitError FOnTransmitError;
  TDFeNotifyEvent FOnStatusChange;
  TDFeGravarLog FOnGerarLog;
  ProcessTimeZone* FTimeZoneProcesso = nullptr;
};

}  // namespace luvaro
