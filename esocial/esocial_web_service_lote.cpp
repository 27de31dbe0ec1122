// The two lot calls: send lot and query lot.

#include "esocial/esocial_web_service_lote.h"

#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/configuracoes_esocial.h"
#include "esocial/esocial_componente.h"

namespace luvaro {

using esocial_ws::NoNamespace;

// --- TEnvioLote

TEnvioLote::TEnvioLote(TeSocialComponente& AOwner)
    : TeSocialWebService(AOwner), FLote(std::make_unique<TLoteEventos>(AOwner)) {
  TEnvioLote::Clear();
}

TEnvioLote::~TEnvioLote() = default;

void TEnvioLote::Clear() {
  TeSocialWebService::Clear();
  SetLayout(TLayOut::LayEnvioLoteEventos);
  SetStatus(TStatuseSocial::stEnvLoteEventos);
  FPArqEnv = "env-lot";
  FPArqResp = "rec";
  FRetEnvioLote = std::make_unique<TRetEnvioLote>();
}

void TEnvioLote::DefinirServicoEAction() {
  FPServico = eSocial().GetNameSpaceURI() + "/ServicoEnviarLoteEventos/EnviarLoteEventos";
  FPSoapAction = trimText(FPServico);
}

void TEnvioLote::DefinirDadosMsg() {
  const TGeralConfeSocial& geral = ConfiguracoeseSocial().Geral();
  const std::string& empregador = geral.IdEmpregador();
  FLote->IdeEmpregador().SetTpInsc(empregador.size() != 14 &&
                                           geral.TipoEmpregador() == TEmpregador::tePessoaFisica
                                       ? tpTpInsc::tiCPF
                                       : tpTpInsc::tiCNPJ);
  FLote->IdeEmpregador().SetNrInsc(empregador);
  const std::string& transmissor = geral.IdTransmissor();
  FLote->IdeTransmissor().SetTpInsc(transmissor.size() == 14 ? tpTpInsc::tiCNPJ : tpTpInsc::tiCPF);
  FLote->IdeTransmissor().SetNrInsc(transmissor);
  FLote->GerarXML(FGrupo);
  FPDadosMsg = FLote->XML();
  NotificarTransmissao(FPDadosMsg, TeSocialEventos::eseEnvioLote);
}

bool TEnvioLote::TratarResposta() {
  ExtrairRetorno("EnviarLoteEventosResult", FRetEnvioLote->Leitor());
  FRetEnvioLote->LerXml();  // a reply of another shape still reaches the caller as RetWS
  NotificarTransmissao(FPRetWS, TeSocialEventos::eseRetornoLote);
  return true;
}

std::string TEnvioLote::MontarMsgLog() {
  return MsgLogLote(FRetEnvioLote->Status(), FRetEnvioLote->DadosRecLote());
}

std::string TEnvioLote::MontarMsgErro(const std::exception&) {
  return "WebService: " + FPServico + "\r\n" + "- Inativo ou Inoperante tente novamente.";
}

std::string TEnvioLote::PrefixoArquivo() {
  return esocial_ws::FormatarData(nowLocal(), "yymmddhhnnss");
}

// --- TConsultaLote

TConsultaLote::TConsultaLote(TeSocialComponente& AOwner) : TeSocialWebService(AOwner) {
  TConsultaLote::Clear();
}

void TConsultaLote::Clear() {
  TeSocialWebService::Clear();
  SetLayout(TLayOut::LayConsultaLoteEventos);
  SetStatus(TStatuseSocial::stConsultaLote);
  FPArqEnv = "ped-sit";
  FPArqResp = "sit";
  FRetConsultaLote = std::make_unique<TRetConsultaLote>();
}

void TConsultaLote::DefinirServicoEAction() {
  FPServico = NoNamespace(
      "/servicos/empregador/lote/eventos/envio/consulta/retornoProcessamento/v1_1_0/"
      "ServicoConsultarLoteEventos/ConsultarLoteEventos");
  FPSoapAction = trimText(FPServico);
}

void TConsultaLote::DefinirDadosMsg() {
  // The protocol is escaped so that no text can change the request's structure; a protocol
  // number (digits and dots) is written as it is.
  FPDadosMsg = "<eSocial xmlns=\"" +
               NoNamespace("/schema/lote/eventos/envio/consulta/retornoProcessamento/v1_0_0") +
               "\"><consultaLoteEventos><protocoloEnvio>" + EscaparTextoXML(FProtocolo) +
               "</protocoloEnvio></consultaLoteEventos></eSocial>";
  NotificarTransmissao(FPDadosMsg, TeSocialEventos::eseEnvioConsulta);
}

bool TConsultaLote::TratarResposta() {
  ExtrairRetorno("ConsultarLoteEventosResult", FRetConsultaLote->Leitor());
  FRetConsultaLote->LerXml();
  for (const TRetEventoItem& evento : FRetConsultaLote->RetEventos()) {
    for (const TTotItem& tot : evento.tot) {
      if (tot.XML.empty()) continue;
      SalvarDocumentoRetorno(evento.Id + "-" + tot.tipo + ".xml", tot.XML);
    }
  }
  NotificarTransmissao(FPRetWS, TeSocialEventos::eseRetornoConsulta);
  return true;
}

std::string TConsultaLote::MontarMsgLog() {
  return MsgLogLote(FRetConsultaLote->Status(), FRetConsultaLote->DadosRecLote());
}

std::string TConsultaLote::GerarVersaoDadosSoap() {
  if (FPVersaoServico.empty()) FPVersaoServico = "v2.1.0";
  return {};
}

}  // namespace luvaro
