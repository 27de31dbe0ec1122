// TConsultar and TConsultarReciboEvento: the two queries.

#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_consulta.h"
#include "reinf/reinf_web_services.h"

namespace luvaro::reinf {

// --- TConsultar

TConsultar::TConsultar(TReinfComponente& AOwner) : TReinfWebService(AOwner) {
  Clear();
}

void TConsultar::Clear() {
  TReinfWebService::Clear();
  FPLayout = TLayOutReinf::LayConsultaLoteEventos;
  FPStatus = TStatusReinf::stConsultaLote;
  FPArqEnv = "ped-sit";
  FPArqResp = "sit";
  FRetConsulta = std::make_unique<TRetConsulta>();
}

void TConsultar::DefinirServicoEAction() {
  FPServico =
      std::string(kNameSpaceBaseServico) + "/ConsultasReinf/ConsultaInformacoesConsolidadas";
  FPSoapAction = trimText(FPServico);
}

void TConsultar::DefinirDadosMsg() {
  const std::string& contribuinte = FPConfiguracoesReinf->Geral().IdContribuinte();
  const bool cnpj = contribuinte.size() == 14;
  const std::string tipo = cnpj ? "1" : "2";
  const std::string numero = cnpj ? contribuinte.substr(0, 8) : contribuinte;
  // The values are escaped, so that no text from the command line changes the request's
  // structure; a registration or protocol number is written as it is.
  FPDadosMsg = "<consultar" + FPSoapEnvelopeAtributtes + ">" + "<v1:tipoInscricaoContribuinte>" +
               tipo + "</v1:tipoInscricaoContribuinte>" + "<v1:numeroInscricaoContribuinte>" +
               EscaparTextoXML(numero) + "</v1:numeroInscricaoContribuinte>" +
               "<v1:numeroProtocoloFechamento>" + EscaparTextoXML(FProtocolo) +
               "</v1:numeroProtocoloFechamento>" + "</consultar>";
  FPReinf->NotificarTransmissao(FPDadosMsg, TEventosReinf::erEnvioConsulta);
}

void TConsultar::MontarEnvelopeSoap() {
  MontarEnvelope("v1:ConsultaInformacoesConsolidadas", ExtrairElemento(FPDadosMsg, "consultar"));
}

bool TConsultar::TratarResposta() {
  FPRetWS = ExtrairElemento(FPRetornoWS, "ConsultaInformacoesConsolidadasResult");
  FRetConsulta->Leitor().SetArquivo(RetWSDecodificado());
  FRetConsulta->LerXml();
  if (!FRetConsulta->XML.empty()) {
    SalvarDocumento(FRetConsulta->evtTotalContrib.Id, "-R5011.xml", FRetConsulta->XML);
  }
  FPReinf->NotificarTransmissao(FPRetWS, TEventosReinf::erRetornoConsulta);
  return true;
}

std::string TConsultar::MontarMsgLog() {
  return MsgLogVersaoAmbiente();
}

// --- TConsultarReciboEvento

TConsultarReciboEvento::TConsultarReciboEvento(TReinfComponente& AOwner)
    : TReinfWebService(AOwner) {
  Clear();
}

void TConsultarReciboEvento::Clear() {
  TReinfWebService::Clear();
  FPLayout = TLayOutReinf::LayConsultaLoteEventos;
  FPStatus = TStatusReinf::stConsultaLote;
  FPArqEnv = "ped-con";
  FPArqResp = "con";
  FRetConsulta = std::make_unique<TRetConsulta>();
}

void TConsultarReciboEvento::SettipoEvento(TTipoEvento value) {
  FtipoEvento = value;
  const std::string codigo = CodigoDoTipoEvento(value);
  FtpEventoStr = codigo.size() > 2 ? codigo.substr(2) : std::string();
}

void TConsultarReciboEvento::DefinirServicoEAction() {
  FPServico =
      std::string(kNameSpaceBaseServico) + "/ConsultasReinf/ConsultaReciboEvento" + FtpEventoStr;
  FPSoapAction = trimText(FPServico);
}

void TConsultarReciboEvento::DefinirDadosMsg() {
  TReinfConsulta consulta;
  consulta.SetSoapEnvelopeAtributtes(FPSoapEnvelopeAtributtes);
  consulta.SettipoEvento(FtipoEvento);
  consulta.SetnrInscContrib(FPConfiguracoesReinf->Geral().IdContribuinte());
  consulta.SetnrInscEstab(FnrInscEstab);
  consulta.SetperApur(FperApur);
  consulta.SetcnpjPrestador(FcnpjPrestador);
  consulta.SetnrInscTomador(FnrInscTomador);
  consulta.SetdtApur(FdtApur);
  AplicarOpcoesGerador(consulta.Gerador().Opcoes());
  consulta.GerarXML();  // alerts do not stop the request: the service judges it
  FPDadosMsg = consulta.Gerador().ArquivoFormatoXML();
  FPReinf->NotificarTransmissao(FPDadosMsg, TEventosReinf::erEnvioConsulta);
}

void TConsultarReciboEvento::MontarEnvelopeSoap() {
  MontarEnvelope("v1:ConsultaReciboEvento" + FtpEventoStr,
                 ExtrairElemento(FPDadosMsg, "consultar"));
}

bool TConsultarReciboEvento::TratarResposta() {
  FPRetWS = ExtrairElemento(FPRetornoWS, "ConsultaReciboEvento" + FtpEventoStr + "Result");
  FRetConsulta->Leitor().SetArquivo(RetWSDecodificado());
  FRetConsulta->LerXml();
  FPReinf->NotificarTransmissao(FPRetWS, TEventosReinf::erRetornoConsulta);
  return true;
}

std::string TConsultarReciboEvento::MontarMsgLog() {
  return MsgLogVersaoAmbiente();
}

}  // namespace luvaro::reinf
