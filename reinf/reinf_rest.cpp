// TReinfServicoRest and the two asynchronous lot calls.

#include "reinf/reinf_rest.h"

#include <charconv>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/http_exception.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_rest_codigos.h"

namespace luvaro::reinf {
namespace {

constexpr std::size_t kMaxTextoResposta = 500;

std::string Texto(const std::string& xml, const std::string& elemento) {
  return trimText(
      DecodificarResposta(TextoEntre(xml, "<" + elemento + ">", "</" + elemento + ">")));
}

int Numero(const std::string& texto) {
  int valor = 0;
  std::from_chars(texto.data(), texto.data() + texto.size(), valor);
  return valor;
}

}  // namespace

std::string DescricaoDaRecusa(const std::string& resposta) {
  const std::string status = TextoEntre(resposta, "<status>", "</status>");
  if (status.empty()) {
    std::string texto = trimText(resposta);
    if (texto.size() > kMaxTextoResposta) texto = texto.substr(0, kMaxTextoResposta) + "...";
    return texto.empty() ? std::string() : "Resposta do serviço: " + texto;
  }
  std::string texto =
      "Resposta do serviço: " + Texto(status, "cdResposta") + " - " + Texto(status, "descResposta");
  const std::string marca = "<ocorrencia>";
  for (std::size_t p = status.find(marca); p != std::string::npos; p = status.find(marca, p + 1)) {
    const std::string ocorrencia = TextoEntre(status.substr(p), marca, "</ocorrencia>");
    texto += "\r\n" + Texto(ocorrencia, "codigo") + " - " + Texto(ocorrencia, "descricao");
  }
  return texto;
}

// --- TReinfServicoRest

TReinfServicoRest::TReinfServicoRest(TReinfComponente& AOwner) : TReinfWebService(AOwner) {
  FPMimeType = std::string(kRestMimeType);
}

void TReinfServicoRest::Clear() {
  TReinfWebService::Clear();
  FcdResposta = 0;
  FdescResposta.clear();
  FProtocolo.clear();
}

void TReinfServicoRest::DefinirURL() {
  FPURL.clear();
  const bool homologacao =
      FPConfiguracoesReinf->WebServices().Ambiente() == TTipoAmbiente::taHomologacao;
  double versao = NumeroDaVersao(TVersaoReinf::v2_01_02);
  FPReinf->LerServicoChaveDeParams(homologacao ? "Reinf_H" : "Reinf_P", ServicoDoLayOut(FPLayout),
                                   versao, FPURL);
  // Only the exact key: the nearest lower one is a SOAP address of an older layout.
  if (versao < NumeroDaVersao(TVersaoReinf::v2_01_02)) FPURL.clear();
  FPVersaoServico = formatFixed(NumeroDaVersao(TVersaoReinf::v2_01_02), 2).value_or("");
}

void TReinfServicoRest::DefinirServicoEAction() {
  FPServico = FPURL;
  FPSoapAction = "*";  // no SOAP action
}

void TReinfServicoRest::MontarEnvelopeSoap() {
  FPEnvelopeSoap = FPDadosMsg;
}

void TReinfServicoRest::Transmitir() {
  try {
    if (FPObter) {
      FPRetWS.clear();
      FPRetornoWS = FPReinf->SSL().Obter(FPURL, FPMimeType);
    } else {
      TReinfWebService::Transmitir();
    }
  } catch (const EDFeHttpException& falha) {
    // A reply came, with a status that is not a success: the failure names it and what the
    // service said, never a success.
    if (falha.HTTPResultCode() == 0 || falha.Resposta().empty()) throw;
    throw EDFeHttpException(falha.InternalErrorCode(), falha.HTTPResultCode(), falha.Url(),
                            DescricaoDaRecusa(falha.Resposta()), falha.Resposta());
  }
}

bool TReinfServicoRest::TratarResposta() {
  FPRetWS = FPRetornoWS;
  const std::string status = TextoEntre(FPRetWS, "<status>", "</status>");
  FcdResposta = Numero(Texto(status, "cdResposta"));
  FdescResposta = Texto(status, "descResposta");
  FProtocolo =
      Texto(TextoEntre(FPRetWS, "<dadosRecepcaoLote>", "</dadosRecepcaoLote>"), "protocoloEnvio");
  ExigirResposta();
  FPReinf->NotificarTransmissao(
      FPRetWS, FPObter ? TEventosReinf::erRetornoConsulta : TEventosReinf::erRetornoLote);
  return true;
}

std::string TReinfServicoRest::MontarMsgLog() {
  return MsgLogVersaoAmbiente() + "Protocolo: " + FProtocolo +
         " \r\nStatus Código: " + std::to_string(FcdResposta) +
         " \r\nStatus Descrição: " + FdescResposta + " \r\n";
}

std::string TReinfServicoRest::MontarMsgErro(const std::exception& E) {
  // A refusal (4xx) is the service's verdict on the request, not a service that is down.
  const auto* http = dynamic_cast<const EDFeHttpException*>(&E);
  if (http != nullptr && http->HTTPResultCode() >= 400 && http->HTTPResultCode() < 500) {
    return "WebService: " + FPURL + "\r\n" + "- Requisição recusada pelo serviço.";
  }
  return "WebService: " + FPURL + "\r\n" + "- Inativo ou Inoperante tente novamente.";
}

// --- TEnvioLoteAssincrono

TEnvioLoteAssincrono::TEnvioLoteAssincrono(TReinfComponente& AOwner) : TReinfServicoRest(AOwner) {
  Clear();
}

void TEnvioLoteAssincrono::Clear() {
  TReinfServicoRest::Clear();
  FPLayout = TLayOutReinf::LayEnvioLoteEventos;
  FPStatus = TStatusReinf::stEnvLoteEventos;
  FPArqEnv = "env-lot-assinc";
  FPArqResp = "rec-lot-assinc";
  FPObter = false;
}

void TEnvioLoteAssincrono::DefinirDadosMsg() {
  TLoteAssincrono& lote = FPReinf->EventosAssincronos();
  lote.GerarXML();
  FPDadosMsg = lote.XML();
  FPReinf->NotificarTransmissao(FPDadosMsg, TEventosReinf::erEnvioLote);
}

// --- TConsultarLoteAssincrono

TConsultarLoteAssincrono::TConsultarLoteAssincrono(TReinfComponente& AOwner)
    : TReinfServicoRest(AOwner) {
  Clear();
}

void TConsultarLoteAssincrono::Clear() {
  TReinfServicoRest::Clear();
  FPLayout = TLayOutReinf::LayConsultaLoteEventos;
  FPStatus = TStatusReinf::stConsultaLote;
  FPArqEnv.clear();  // a GET has no body to save
  FPArqResp = "cons-lot-assinc";
  FPObter = true;
}

void TConsultarLoteAssincrono::DefinirURL() {
  TReinfServicoRest::DefinirURL();
  // The protocol is the last segment of the address; only its own characters reach it.
  if (!FPURL.empty() && ProtocoloAssincrono(FProtocoloConsultado)) {
    FPURL += "/" + FProtocoloConsultado;
  } else if (!FPURL.empty()) {
    FPURL.clear();
  }
}

void TConsultarLoteAssincrono::DefinirDadosMsg() {
  FPDadosMsg.clear();
  FPReinf->NotificarTransmissao(FPURL, TEventosReinf::erEnvioConsulta);
}

}  // namespace luvaro::reinf
