// The download call: the request by identifier or by receipt, its signature and schema check,
// the envelope of its kind and the saving of each downloaded document.

#include "esocial/esocial_web_service_download.h"

#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_componente.h"

namespace luvaro {

using esocial_ws::NoNamespace;

TDownloadEventos::TDownloadEventos(TeSocialComponente& AOwner) : TeSocialWebService(AOwner) {
  TDownloadEventos::Clear();
}

void TDownloadEventos::Clear() {
  TeSocialWebService::Clear();
  SetLayout(TLayOut::LayDownloadEventos);
  SetStatus(TStatuseSocial::stDownloadEvt);
  FPArqEnv = "ped-dow";
  FPArqResp = "dow";
  FRetDownloadEvt = std::make_unique<TRetDownloadEvt>();
}

void TDownloadEventos::DefinirServicoEAction() {
  FPServico = NoNamespace(
                  "/servicos/empregador/download/solicitacao/v1_0_0/"
                  "ServicoSolicitarDownloadEventos/SolicitarDownloadEventos") +
              FTipoDownload;
  FPSoapAction = trimText(FPServico);
}

void TDownloadEventos::DefinirDadosMsg() {
  const bool porId = !FPorID.empty();
  const std::string ns = NoNamespace(porId ? "/schema/download/solicitacao/id/v1_0_0"
                                           : "/schema/download/solicitacao/nrRecibo/v1_0_0");
  const char* schema = porId ? "SolicitacaoDownloadEventosPorId-v1_0_0.xsd"
                             : "SolicitacaoDownloadEventosPorNrRecibo-v1_0_0.xsd";
  const std::string tpInsc = FCnpj.size() == 14 || FCnpj.size() == 8 ? "1" : "2";
  // Values are escaped so that no text can change the request's structure; identifiers,
  // receipts and registrations are written as they are.
  std::string xml = "<eSocial xmlns=\"" + ns + "\"><download><ideEmpregador><tpInsc>" + tpInsc +
                    "</tpInsc><nrInsc>" + EscaparTextoXML(FCnpj) + "</nrInsc></ideEmpregador>";
  if (porId) {
    xml +=
        "<solicDownloadEvtsPorId><id>" + EscaparTextoXML(FPorID) + "</id></solicDownloadEvtsPorId>";
  } else {
    xml += "<solicDownloadEventosPorNrRecibo><nrRec>" + EscaparTextoXML(FPorNrRecibo) +
           "</nrRec></solicDownloadEventosPorNrRecibo>";
  }
  xml += "</download></eSocial>";
  FPDadosMsg = AssinarRequisicao(xml, "eSocial");
  ValidarRequisicao(FPDadosMsg, schema);
  NotificarTransmissao(FPDadosMsg, TeSocialEventos::eseEnvioDownloadEvt);
}

void TDownloadEventos::MontarEnvelopeSoap() {
  FPSoapEnvelopeAtributtes = esocial_ws::AtributosEnvelope(
      NoNamespace("/servicos/empregador/download/solicitacao/v1_0_0"));
  TeSocialWebService::MontarEnvelopeSoap();
}

std::string TDownloadEventos::AberturaDados() {
  return "<v1:SolicitarDownloadEventos" + FTipoDownload + "><v1:solicitacao>";
}

std::string TDownloadEventos::FechamentoDados() {
  return "</v1:solicitacao></v1:SolicitarDownloadEventos" + FTipoDownload + ">";
}

bool TDownloadEventos::TratarResposta() {
  ExtrairRetorno("SolicitarDownloadEventos" + FTipoDownload + "Result", FRetDownloadEvt->Leitor());
  FRetDownloadEvt->LerXml();
  for (const TArquivoItem& item : FRetDownloadEvt->Arquivo()) {
    if (item.XML.empty()) continue;
    if (!item.nrRec.empty()) {
      SalvarDocumentoRetorno(item.nrRec + "-down.xml", item.XML);
    } else if (!item.Id.empty()) {
      SalvarDocumentoRetorno(item.Id + "-down.xml", item.XML);
    }
  }
  NotificarTransmissao(FPRetWS, TeSocialEventos::eseRetornoDownloadEvt);
  return true;
}

std::string TDownloadEventos::MontarMsgLog() {
  return MsgLogConsulta(FRetDownloadEvt->Status());
}

std::string TDownloadEventos::GerarVersaoDadosSoap() {
  if (FPVersaoServico.empty()) FPVersaoServico = "v2.1.0";
  return {};
}

std::string TDownloadEventos::PrefixoArquivo() {
  return esocial_ws::FormatarData(nowLocal(), "yyyymmddhhnnss");
}

}  // namespace luvaro
