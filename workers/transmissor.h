#pragma once

// The shape the transmission workers share.
//
// A worker ("esocial", "reinf", "esocialbx") owns one protocol component and runs one job:
//
//   Execute
//     SetarConfiguracoes      the component's settings in their fixed order, the status
//                             "Configurando certificado...", the certificate choice and the copy
//                             of its serial number into the security facade
//     ExecutarProcesso        the job of the command line (send, query, table events)
//
// TTransmissor holds what every worker does the same way: the settings table with two places
// where the protocol puts its own values (SetarVersaoDF, SetarEmissaoPath), the certificate
// step, the "no certificate: exit code 2" test, the protection of each job operation by the
// failure reporting (TratarExceptionEnvio), the document folder step, the loading of the lot's
// documents one by one, and the delivery of a reply to the ERP. TTransmissorLote adds the
// send-and-query job of the eSocial and EFD-Reinf workers.
//
// The configuration step is protected like the job operations: a failure there (the token
// module cannot be loaded, the store cannot be opened) is reported with the generic dialog, a
// log line and exit code 1; the ERP must never read such a run as a success.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/worker.h"
#include "workers/eventos_deixados.h"

namespace luvaro {

class IIntegrador;
class ProcessTimeZone;
class TCertificado;
class TDFeComponente;
class TokenEnvironment;

// The workers' web-service time-out, in milliseconds.
inline constexpr int kTimeOutTransmissao = 180000;

// What main() hands every transmission worker besides its WorkerContext: the process-wide
// objects (not owned; they outlive every worker) and the settings read once at start-up.
struct TAmbienteTransmissao {
  TokenEnvironment* Tokens = nullptr;   // the PKCS#11 module and the token login state
  ProcessTimeZone* TimeZone = nullptr;  // the time-zone setting the calls keep up to date
  int TimeOut = kTimeOutTransmissao;    // WebServices.TimeOut of every worker
  // WebServices.VerificarServidor of every worker: off only with LUVARO_VERIFICAR_SERVIDOR=0.
  bool VerificarServidor = true;
  // Makes the ERP client of the run from its endpoints; unset: TIntegradorOrvane.
  std::function<std::shared_ptr<IIntegrador>(const TEnderecosOrvane&)> CriarIntegrador;
};

// The time-out of the environment: LUVARO_TIMEOUT_MS when it holds a whole number of
// milliseconds from 1 on, else 180000. Read once, at start-up.
int TimeOutDoAmbiente();

// Whether servers are verified, from the environment: off only when LUVARO_VERIFICAR_SERVIDOR
// is "0". Read once, at start-up.
bool VerificarServidorDoAmbiente();

// What a failure to post the reply of a delivered lot tells first: "O lote foi entregue
// (protocolo P), mas o retorno não foi recebido pelo Orvane. Não envie o lote novamente; o
// retorno foi salvo em: F" (without the protocol part when pProtocolo is empty).
std::string MensagemLoteEntregue(const std::string& pProtocolo,
                                 const std::optional<std::filesystem::path>& pSalvo);

// The ERP client of a run: TIntegradorOrvane with the endpoints and the company key.
std::shared_ptr<IIntegrador> CriarIntegradorOrvane(const TEnderecosOrvane& pEnderecos);

// The files of a save folder before a web-service call, to tell afterwards which file the call
// wrote its reply to (the call names it by the moment it saves it).
class TArquivosSalvos {
 public:
  // Notes every regular file of pPasta with its last write time (none when it is missing).
  explicit TArquivosSalvos(std::filesystem::path pPasta);
  // The file whose name ends with pSufixo that appeared or was rewritten since; the latest
  // written when several did.
  std::optional<std::filesystem::path> Novo(const std::string& pSufixo) const;

 private:
  std::filesystem::path m_pasta;
  std::map<std::filesystem::path, std::filesystem::file_time_type> m_antes;
};

class TTransmissor : public IWorker {
 public:
  ~TTransmissor() override;
  TTransmissor(const TTransmissor&) = delete;  // bound to its component and its thread
  TTransmissor& operator=(const TTransmissor&) = delete;

  // The thread body: SetarConfiguracoes, then the job. Failures of both are reported through
  // TratarExceptionEnvio; the stop of its dialog unwinds as TSilentAbort.
  void Execute() final;

  const TRecParametros& Parametros() const { return FParametros; }
  IIntegrador& Integrador() { return *FIntegrador; }

 protected:
  TTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente);

  // The protocol component; made by the derived worker's constructor.
  virtual TDFeComponente& Componente() = 0;
  // The protocol's rows of the settings table.
  virtual void SetarVersaoDF() = 0;     // Geral.VersaoDF, after RetirarAcentos
  virtual void SetarEmissaoPath() = 0;  // the protocol's folder flag, after AdicionarLiteral
  // Arquivos.Salvar: off, except for the table-event worker.
  virtual bool SalvarArquivos() const { return false; }
  // The job of the command line, after the configuration step.
  virtual void ExecutarProcesso() = 0;

  // Called by the derived constructor right after making the component: the token
  // environment and the front reach its security facade, the process-wide time zone the
  // component.
  void PrepararComponente(TDFeComponente& pComponente);

  // Every setting in its order, then the certificate (status, choice, serial number).
  void SetarConfiguracoes();

  // Runs one job operation; any failure goes to TratarExceptionEnvio (which never returns).
  void Proteger(const std::function<void()>& pOperacao);

  // Shows a status text on the main window; returns once it is shown.
  void Status(const std::string& pTexto);
  // Shows a warning with only an OK button and no stop flag; returns once it is closed.
  void Avisar(const std::string& pTexto);

  // True, with exit code 2 and no message, when no certificate was chosen.
  bool SemCertificado();

  // The document folder step: Arquivos.PathSalvar becomes PathSalvar/N/MMyyyy (the current
  // local month), each level created when missing. N is made safe as a file name first, so a
  // value from the ERP can never lead outside the save folder; an empty N adds no level.
  void PastaDocumentos(const std::string& pInscricao);

  // Hands each document to pCarregar in order; a document that fails is passed over without
  // a word, and the loop goes on (the table-event worker's query documents).
  static void CarregarDocumentos(const std::vector<std::string>& pDocumentos,
                                 const std::function<void(const std::string&)>& pCarregar);

  // Posts a government reply to the ERP through pEnviar. When that fails, the reply is not
  // lost: the web-service call saved it in the save folder, and one more log line names that
  // file (pSalvo) before the failure goes on to the failure reporting.
  void EntregarRetorno(const std::function<void()>& pEnviar,
                       const std::optional<std::filesystem::path>& pSalvo);
  // The same for the reply to a lot the service has taken: the failure stays, but its text
  // first says that the lot was delivered (with the protocol, when the reply gave one), that it
  // must not be sent again, and where the reply was saved, so the office does not send it twice.
  void EntregarRetornoDoLote(const std::function<void()>& pEnviar,
                             const std::optional<std::filesystem::path>& pSalvo,
                             const std::string& pProtocolo);

  const TAmbienteTransmissao& Ambiente() const { return FAmbiente; }
  const TCertificado* Certificado() const { return FCertificado.get(); }

 private:
  TRecParametros FParametros;
  TNotifyString FAtualizarStatus;
  IFront& FFront;
  IAppLoop& FLoop;
  TAmbienteTransmissao FAmbiente;
  std::shared_ptr<IIntegrador> FIntegrador;
  std::unique_ptr<TCertificado> FCertificado;
};

// The send-and-query job of the eSocial and EFD-Reinf workers: process 0 sends the lot
// (MontarEventos, then EnviarEventos), process 1 queries a sent lot by its protocol, process 2
// does nothing after the certificate choice. No certificate: exit code 2, no message.
class TTransmissorLote : public TTransmissor {
 protected:
  using TTransmissor::TTransmissor;

  void ExecutarProcesso() final;

  // "Buscando eventos...": the lot from the ERP, its numbers, the document folder step and
  // "Montando eventos...": each document loaded into the component.
  virtual void MontarEventos() = 0;
  // "Enviando eventos...": the lot sent, then its reply posted to the ERP.
  virtual void EnviarEventos() = 0;
  // "Consultando protocolo...": the query, then its reply posted to the ERP.
  virtual void ProcessarConsultaProtocolo() = 0;

  // Loads the ERP's documents into the protocol's container one by one; the documents left out
  // are named in the log and kept for the end of the send (eventos_deixados.h).
  void CarregarEventos(const std::vector<std::string>& pDocumentos,
                       const TConteinerEventos& pConteiner);
  // After the lot was sent and before its reply goes to the ERP: one message, OK only and no
  // stop flag, naming every document left out; nothing when none was.
  void AvisarEventosDeixados();

 private:
  std::vector<TEventoDeixado> FDeixados;
};

}  // namespace luvaro
