// TReinfWebService (what the three EFD-Reinf calls share) and TWebServices.

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/nome_arquivo.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_rest.h"
#include "reinf/reinf_web_services.h"

namespace luvaro::reinf {
namespace {

constexpr const char* kNameSpaceSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";

}  // namespace

// --- TReinfWebService

TReinfWebService::TReinfWebService(TReinfComponente& AOwner)
    : TDFeWebService(AOwner), FPReinf(&AOwner), FPConfiguracoesReinf(&AOwner.Configuracoes()) {
  FPSoapVersion = "soap";
  FPHeaderElement = "Header";
  FPBodyElement = "Body";
  FPSoapEnvelopeAtributtes = std::string(" xmlns:soap=\"") + kNameSpaceSoap11 + "\"  xmlns:v1=\"" +
                             kNameSpaceBaseServico + "/\"";
  FPMimeType = "text/xml";
}

void TReinfWebService::Clear() {
  TDFeWebService::Clear();
  FPStatus = TStatusReinf::stIdle;
  FPReinf->SSL().SetUseCertificateHTTP(true);
}

void TReinfWebService::PrepararServico() {
  FVersaoDF = FPConfiguracoesReinf->Geral().VersaoDF();
  TDFeWebService::PrepararServico();
  FPReinf->SetStatus(FPStatus);
}

void TReinfWebService::DefinirURL() {
  FPVersaoServico.clear();
  FPURL.clear();
  double versao = NumeroDaVersao(FVersaoDF);
  FPReinf->LerServicoDeParams(FPLayout, versao, FPURL);
  FPVersaoServico = formatFixed(versao, 2).value_or("");
}

void TReinfWebService::EncerrarServico() {
  FPReinf->SetStatus(TStatusReinf::stIdle);
}

std::string TReinfWebService::GerarVersaoDadosSoap() {
  if (FPVersaoServico.empty()) FPVersaoServico = "v1.03.0";
  return {};
}

std::string TReinfWebService::RetWSDecodificado() const {
  return DecodificarResposta(FPRetWS);
}

std::string TReinfWebService::MsgLogVersaoAmbiente() {
  return "Versão Layout: " + TextoDaVersao(FVersaoDF) +
         " \r\nAmbiente: " + std::to_string(FPConfiguracoesReinf->WebServices().AmbienteCodigo()) +
         " \r\n";
}

void TReinfWebService::MontarEnvelope(const std::string& elemento, const std::string& conteudo) {
  const std::string& p = FPSoapVersion;
  FPEnvelopeSoap = "<" + p + ":Envelope " + FPSoapEnvelopeAtributtes + ">" + "<" + p + ":Body>" +
                   "<" + elemento + ">" + conteudo + "</" + elemento + ">" + "</" + p + ":Body>" +
                   "</" + p + ":Envelope>";
}

void TReinfWebService::SalvarDocumento(const std::string& identificador, const std::string& sufixo,
                                       const std::string& conteudo) {
  if (!FPConfiguracoesReinf->Arquivos().Salvar()) return;
  // The identifier comes from the reply: reduced to safe file-name characters.
  FPReinf->Gravar(NomeArquivoSeguro(identificador) + sufixo, conteudo);
}

// --- TWebServices

TWebServices::TWebServices(TReinfComponente& AOwner)
    : FOwner(&AOwner),
      FEnvioLote(AOwner),
      FConsultar(AOwner),
      FConsultarReciboEvento(AOwner),
      FEnvioLoteAssincrono(std::make_unique<TEnvioLoteAssincrono>(AOwner)),
      FConsultarLoteAssincrono(std::make_unique<TConsultarLoteAssincrono>(AOwner)) {}

TWebServices::~TWebServices() = default;

void TWebServices::Concluir(TReinfWebService& chamada) {
  if (!chamada.Executar()) FOwner->GerarException(chamada.Msg());
}

bool TWebServices::Envia() {
  FEnvioLote.Clear();
  Concluir(FEnvioLote);
  return true;
}

bool TWebServices::Consulta(const std::string& AProtocolo) {
  FConsultar.SetProtocolo(AProtocolo);
  Concluir(FConsultar);
  return true;
}

bool TWebServices::ConsultaReciboEvento(const std::string& APerApur, TTipoEvento ATipoEvento,
                                        const std::string& AnrInscEstab,
                                        const std::string& AcnpjPrestador,
                                        const std::string& AnrInscTomador, DateTime AdtApur) {
  TConsultarReciboEvento& c = FConsultarReciboEvento;
  c.SetperApur(APerApur);
  c.SettipoEvento(ATipoEvento);
  c.SetnrInscEstab(AnrInscEstab);
  c.SetcnpjPrestador(AcnpjPrestador);
  c.SetnrInscTomador(AnrInscTomador);
  c.SetdtApur(AdtApur);
  Concluir(c);
  return true;
}

bool TWebServices::EnviaAssincrono() {
  FEnvioLoteAssincrono->Clear();
  Concluir(*FEnvioLoteAssincrono);
  return true;
}

bool TWebServices::ConsultaAssincrona(const std::string& AProtocolo) {
  FConsultarLoteAssincrono->SetProtocoloConsultado(AProtocolo);
  Concluir(*FConsultarLoteAssincrono);
  return true;
}

}  // namespace luvaro::reinf
