// TEnvioLote: the send-lot call.

#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_web_services.h"

namespace luvaro::reinf {

TEnvioLote::TEnvioLote(TReinfComponente& AOwner)
    : TReinfWebService(AOwner), FLote(std::make_unique<TLoteEventos>(AOwner)) {
  Clear();
}

void TEnvioLote::Clear() {
  TReinfWebService::Clear();
  FPLayout = TLayOutReinf::LayEnvioLoteEventos;
  FPStatus = TStatusReinf::stEnvLoteEventos;
  FPArqEnv = "env-lot";
  FPArqResp = "rec";
  FRetEnvioLote = std::make_unique<TRetEnvioLote>();
}

void TEnvioLote::DefinirServicoEAction() {
  FPServico = FPReinf->GetNameSpaceURI() + "/ReceberLoteEventos";
  FPSoapAction = trimText(FPServico);
}

void TEnvioLote::DefinirDadosMsg() {
  FLote->GerarXML();
  FPDadosMsg = FLote->XML();
  FPReinf->NotificarTransmissao(FPDadosMsg, TEventosReinf::erEnvioLote);
}

void TEnvioLote::MontarEnvelopeSoap() {
  MontarEnvelope("v1:ReceberLoteEventos", "<v1:loteEventos>" + FPDadosMsg + "</v1:loteEventos>");
}

bool TEnvioLote::TratarResposta() {
  FPRetWS = ExtrairElemento(FPRetornoWS, "ReceberLoteEventosResult");
  FRetEnvioLote->Leitor().SetArquivo(RetWSDecodificado());
  FRetEnvioLote->LerXml();
  for (const TeventoCollectionItem& item : FRetEnvioLote->evento) {
    if (!item.ArquivoReinf.empty()) SalvarDocumento(item.Id, "-R5001.xml", item.ArquivoReinf);
  }
  FPReinf->NotificarTransmissao(FPRetWS, TEventosReinf::erRetornoLote);
  return true;
}

std::string TEnvioLote::MontarMsgLog() {
  const TStatus& status = FRetEnvioLote->Status;
  return MsgLogVersaoAmbiente() + "Status Código: " + std::to_string(status.cdStatus) +
         " \r\nStatus Descrição: " + status.descRetorno + " \r\n";
}

std::string TEnvioLote::MontarMsgErro(const std::exception&) {
  return "WebService: " + FPServico + "\r\n" + "- Inativo ou Inoperante tente novamente.";
}

}  // namespace luvaro::reinf
