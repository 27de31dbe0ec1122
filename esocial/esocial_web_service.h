#pragma once

#include <string>

#include "dfe/ws/dfe_web_service.h"
#include "dfe/xml/data_hora.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

class TConfiguracoeseSocial;
struct TDadosRecepcaoLote;
class TLeitor;
class TeSocialComponente;
struct TStatus;

// One call to an eSocial service. It fills the framework's steps for eSocial: the SOAP 1.1
// envelope with the "soap" prefix and the lot-sending namespace as "v1", no SOAP header, the
// address and version from the component's service table, the component's status while the
// call runs, the client certificate on the request, and the reply cut out of the result
// element and read into the call's reply object. The four calls (esocial_web_service_*.h)
// supply the action, the body, the wrappers around it, the result element and the file names.
class TeSocialWebService : public TDFeWebService {
 public:
  explicit TeSocialWebService(TeSocialComponente& AOwner);

  TStatuseSocial Status() const { return FStatus; }
  TLayOut Layout() const { return FLayout; }

  // The framework's clearing; Status back to stIdle and the client certificate on. The calls
  // then set their layout, status, file names and a new reply object.
  void Clear() override;

 protected:
  friend class TWebServices;  // runs the error path after a call that returned false

  void PrepararServico() override;
  void DefinirURL() override;
  void EncerrarServico() override;
  std::string GerarVersaoDadosSoap() override;
  // "<soap:Envelope " + attributes + "><soap:Body>" + the call's wrappers around DadosMsg +
  // "</soap:Body></soap:Envelope>", without any white space between the tags.
  void MontarEnvelopeSoap() override;

  // The wrapper elements written before and after DadosMsg.
  virtual std::string AberturaDados() = 0;
  virtual std::string FechamentoDados() = 0;

  // RetWS := the content of `ElementoResultado` in the whole reply (letter case ignored, a
  // namespace prefix allowed); `leitor` receives it decoded.
  void ExtrairRetorno(const std::string& ElementoResultado, TLeitor& leitor);
  // Shows the text to the component's OnTransmissaoEventos, when assigned, as a copy.
  void NotificarTransmissao(const std::string& AXML, TeSocialEventos ATipo);
  // The log texts of the lot calls and of the identifier and download calls.
  std::string MsgLogLote(const TStatus& status, const TDadosRecepcaoLote& recepcao);
  std::string MsgLogConsulta(const TStatus& status);
  // The body signed by the component's certificate (identifier attribute "ID"), without an
  // XML declaration, so that it can stand inside the envelope.
  std::string AssinarRequisicao(const std::string& xml, const std::string& infElement);
  // Raises EeSocialException with the validator's message when `xml` fails the schema file
  // `arquivo` of the schema folder.
  void ValidarRequisicao(const std::string& xml, const std::string& arquivo);
  // Saves a document of the reply under `nome` (made safe) when Arquivos.Salvar is on.
  void SalvarDocumentoRetorno(const std::string& nome, const std::string& conteudo);

  void SetStatus(TStatuseSocial value) { FStatus = value; }
  void SetLayout(TLayOut value) { FLayout = value; }

  TeSocialComponente& eSocial() { return *FPeSocial; }
  TConfiguracoeseSocial& ConfiguracoeseSocial();

 private:
  TeSocialComponente* FPeSocial;
  TStatuseSocial FStatus = TStatuseSocial::stIdle;
  TLayOut FLayout = TLayOut::LayEnvioLoteEventos;
};

namespace esocial_ws {

// "http://www.esocial.gov.br" + path.
std::string NoNamespace(const std::string& caminho);
// The envelope attributes with `v1` bound to `namespaceV1`: one blank, xmlns:soap, two
// blanks, xmlns:v1.
std::string AtributosEnvelope(const std::string& namespaceV1);
// A date-time written by a pattern of yyyy, yy, mm, dd, hh, nn and ss ("yymmddhhnnss",
// "mm-yyyy", "dd/mm/yyyy hh:nn:ss"); other characters stand as they are.
std::string FormatarData(DateTime data, const char* formato);

}  // namespace esocial_ws
}  // namespace luvaro
