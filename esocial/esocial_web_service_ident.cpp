// The identifier query: the request from the fields or as prepared, its signature and schema
// check, the envelope of its method and the saving of the reply per identifier.

#include "esocial/esocial_web_service_ident.h"

#include <fstream>
#include <iterator>

#include "dfe/ws/nome_arquivo.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/gerador.h"
#include "dfe/xml/texto.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_exception.h"

namespace luvaro {

using esocial_ws::FormatarData;
using esocial_ws::NoNamespace;

namespace {

constexpr tpConsulta kConsultas[] = {tpConsulta::tcEmpregador, tpConsulta::tcTabela,
                                     tpConsulta::tcTrabalhador};

// "Empregador", "Tabela", "Trabalhador".
std::string MetodoDaConsulta(tpConsulta tipo) {
  std::string texto = TextoDaConsulta(tipo);
  texto[0] = static_cast<char>(texto[0] - 'a' + 'A');
  return texto;
}

const char* SchemaDaConsulta(tpConsulta tipo) {
  switch (tipo) {
    case tpConsulta::tcTabela:
      return "ConsultaIdentificadoresEventosTabela-v1_0_0.xsd";
    case tpConsulta::tcTrabalhador:
      return "ConsultaIdentificadoresEventosTrabalhador-v1_0_0.xsd";
    case tpConsulta::tcEmpregador:
      break;
  }
  return "ConsultaIdentificadoresEventosEmpregador-v1_0_0.xsd";
}

}  // namespace

std::string TextoDaConsulta(tpConsulta tipo) {
  switch (tipo) {
    case tpConsulta::tcTabela:
      return "tabela";
    case tpConsulta::tcTrabalhador:
      return "trabalhador";
    case tpConsulta::tcEmpregador:
      break;
  }
  return "empregador";
}

TConsultaIdentEventos::TConsultaIdentEventos(TeSocialComponente& AOwner)
    : TeSocialWebService(AOwner) {
  TConsultaIdentEventos::Clear();
}

void TConsultaIdentEventos::Clear() {
  TeSocialWebService::Clear();
  SetLayout(TLayOut::LayConsultaIdentEventos);
  SetStatus(TStatuseSocial::stConsultaIdentEvt);
  FPArqEnv = "ped-con";
  FPArqResp = "con";
  FRetConsultaIdentEvt = std::make_unique<TRetConsultaIdentEvt>();
}

bool TConsultaIdentEventos::loadFromFile(const std::string& CaminhoArquivo) {
  std::ifstream arquivo(CaminhoArquivo, std::ios::binary);
  if (!arquivo) throw EeSocialException("Falha ao ler o arquivo: " + CaminhoArquivo);
  std::string texto((std::istreambuf_iterator<char>(arquivo)), std::istreambuf_iterator<char>());
  if (texto.starts_with("\xEF\xBB\xBF")) texto.erase(0, 3);
  FXML = std::move(texto);
  return !FXML.empty();
}

void TConsultaIdentEventos::DefinirServicoEAction() {
  FPServico = NoNamespace(
                  "/servicos/empregador/consulta/identificadores-eventos/v1_0_0/"
                  "ServicoConsultarIdentificadoresEventos/ConsultarIdentificadoresEventos") +
              FmetodoConsulta;
  FPSoapAction = trimText(FPServico);
}

void TConsultaIdentEventos::DefinirDadosMsg() {
  if (!FXML.empty()) {
    // A prepared request names its kind in its namespace: .../identificadores-eventos/<kind>/...
    FPDadosMsg = FXML;
    const std::string texto = TextoEntre(FXML, "identificadores-eventos/", "/v1_0_0\"");
    FtipoConsulta = tpConsulta::tcEmpregador;
    for (tpConsulta tipo : kConsultas) {
      if (equalsNoCase(texto, TextoDaConsulta(tipo))) FtipoConsulta = tipo;
    }
    FmetodoConsulta = MetodoDaConsulta(FtipoConsulta);
    DefinirServicoEAction();
  } else {
    FPDadosMsg = GerarRequisicao();
  }
  FPDadosMsg = AssinarRequisicao(FPDadosMsg, "consultaIdentificadoresEvts");
  ValidarRequisicao(FPDadosMsg, SchemaDaConsulta(FtipoConsulta));
  NotificarTransmissao(FPDadosMsg, TeSocialEventos::eseEnvioConsultaIdentEvt);
}

std::string TConsultaIdentEventos::GerarRequisicao() {
  TGerador gerador;
  AplicarOpcoesGerador(gerador.Opcoes());
  const std::string ns = NoNamespace("/schema/consulta/identificadores-eventos/" +
                                     TextoDaConsulta(FtipoConsulta) + "/v1_0_0");
  const bool cnpj = FCnpj.size() == 14;
  gerador.wGrupo("eSocial xmlns=\"" + ns + "\"");
  gerador.wGrupo("consultaIdentificadoresEvts");
  gerador.wGrupo("ideEmpregador");
  gerador.wCampo(TTipoCampo::tcInt, "", "tpInsc", 1, 1, 1, cnpj ? 1 : 2);
  gerador.wCampo(TTipoCampo::tcStr, "", "nrInsc", 11, 14, 1, cnpj ? FCnpj.substr(0, 8) : FCnpj);
  gerador.wGrupo("/ideEmpregador");
  const std::string tpEvt = CodigoDoTipoEvento(FEvento);
  switch (FtipoConsulta) {
    case tpConsulta::tcEmpregador:
      gerador.wGrupo("consultaEvtsEmpregador");
      gerador.wCampo(TTipoCampo::tcStr, "", "tpEvt  ", 6, 6, 1, tpEvt);
      gerador.wCampo(TTipoCampo::tcStr, "", "perApur", 7, 7, 1, FormatarData(FPerApur, "yyyy-mm"));
      gerador.wGrupo("/consultaEvtsEmpregador");
      break;
    case tpConsulta::tcTabela:
      gerador.wGrupo("consultaEvtsTabela");
      gerador.wCampo(TTipoCampo::tcStr, "", "tpEvt", 6, 6, 1, tpEvt);
      gerador.wCampo(TTipoCampo::tcStr, "", "chEvt", 1, 100, 0, FchEvt);
      gerador.wCampo(TTipoCampo::tcDatHor, "", "dtIni", 19, 19, 0, Variant::Date(FdtIni));
      gerador.wCampo(TTipoCampo::tcDatHor, "", "dtFim", 19, 19, 0, Variant::Date(FdtFim));
      gerador.wGrupo("/consultaEvtsTabela");
      break;
    case tpConsulta::tcTrabalhador:
      gerador.wGrupo("consultaEvtsTrabalhador");
      gerador.wCampo(TTipoCampo::tcStr, "", "cpfTrab", 11, 11, 1, FcpfTrab);
      gerador.wCampo(TTipoCampo::tcDatHor, "", "dtIni", 19, 19, 1, Variant::Date(FdtIni));
      gerador.wCampo(TTipoCampo::tcDatHor, "", "dtFim", 19, 19, 1, Variant::Date(FdtFim));
      gerador.wGrupo("/consultaEvtsTrabalhador");
      break;
  }
  gerador.wGrupo("/consultaIdentificadoresEvts");
  gerador.wGrupo("/eSocial");
  return gerador.ArquivoFormatoXML();
}

void TConsultaIdentEventos::MontarEnvelopeSoap() {
  FPSoapEnvelopeAtributtes = esocial_ws::AtributosEnvelope(
      NoNamespace("/servicos/empregador/consulta/identificadores-eventos/v1_0_0"));
  TeSocialWebService::MontarEnvelopeSoap();
}

std::string TConsultaIdentEventos::AberturaDados() {
  return "<v1:ConsultarIdentificadoresEventos" + FmetodoConsulta + "><v1:consultaEventos" +
         FmetodoConsulta + ">";
}

std::string TConsultaIdentEventos::FechamentoDados() {
  return "</v1:consultaEventos" + FmetodoConsulta + "></v1:ConsultarIdentificadoresEventos" +
         FmetodoConsulta + ">";
}

bool TConsultaIdentEventos::TratarResposta() {
  ExtrairRetorno("ConsultarIdentificadoresEventos" + FmetodoConsulta + "Result",
                 FRetConsultaIdentEvt->Leitor());
  FRetConsultaIdentEvt->LerXml();
  if (!FPRetWS.empty()) {
    const std::string sufixo =
        CodigoDoTipoEvento(FEvento) + FCnpj + FormatarData(FPerApur, "mm-yyyy") + ".xml";
    for (const TRetIdentEvtsItem& item : FRetConsultaIdentEvt->RetIdentEvts().Items) {
      SalvarDocumentoRetorno(item.Id + "-" + sufixo, FPRetWS);
    }
  }
  NotificarTransmissao(FPRetWS, TeSocialEventos::eseRetornoConsultaIdentEvt);
  return true;
}

std::string TConsultaIdentEventos::MontarMsgLog() {
  return MsgLogConsulta(FRetConsultaIdentEvt->Status());
}

std::string TConsultaIdentEventos::GerarVersaoDadosSoap() {
  if (FPVersaoServico.empty()) FPVersaoServico = "v2.1.0";
  return {};
}

std::string TConsultaIdentEventos::PrefixoArquivo() {
  return NomeArquivoSeguro(CodigoDoTipoEvento(FEvento) + "-" + FCnpj + "-" +
                           FormatarData(FPerApur, "mm-yyyy") + "-" +
                           FormatarData(nowLocal(), "yyyymmddhhnnss"));
}

}  // namespace luvaro
