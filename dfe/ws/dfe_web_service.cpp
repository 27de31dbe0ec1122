// TDFeWebService: the order of a call's steps, the envelope, saving, logging and the steps a
// derived class must supply. Sending lives in dfe_web_service_transmitir.cpp.

#include "dfe/ws/dfe_web_service.h"

#include <cstdio>

#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/front.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/nome_arquivo.h"
#include "dfe/ws/process_time_zone.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/gerador.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

constexpr const char* kAtributosEnvelope =
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"";

// A content saved "as UTF-8" when it is signed: its bytes must reach the file unchanged.
bool Assinado(const std::string& conteudo) {
  return containsNoCase(conteudo, "<signature");
}

}  // namespace

TDFeWebService::TDFeWebService(TDFeComponente& AOwner)
    : FPDFeOwner(&AOwner),
      FPConfiguracoes(&AOwner.Configuracoes()),
      FPSoapVersion("soap12"),
      FPSoapEnvelopeAtributtes(kAtributosEnvelope),
      FPHeaderElement("nfeCabecMsg"),
      FPBodyElement("nfeDadosMsg") {
  TDFeWebService::Clear();
}

TDFeWebService::~TDFeWebService() = default;

void TDFeWebService::Clear() {
  FPDadosMsg.clear();
  FPRetornoWS.clear();
  FPRetWS.clear();
  FPMsg.clear();
}

bool TDFeWebService::Executar() {
  RegistrarLog("Inicio " + ClassName(), false);
  PrepararServico();

  bool resultado = false;
  try {
    DefinirDadosMsg();
    // PrepararIntegrador belongs to an integrator component, which this program never has.
    MontarEnvelopeSoap();
    GravarEnvio();
    try {
      Transmitir();
      resultado = TratarResposta();
      RegistrarLog(MontarMsgLog(), true);
      GravarResposta();
    } catch (const std::exception& E) {
      resultado = false;
      RegistrarErro(MontarMsgErro(E), &E);
    }
  } catch (...) {
    // Whatever ends the call (a failure, or the silent stop abort) still closes the service;
    // a failure of EncerrarServico itself replaces the one in flight.
    EncerrarServico();
    throw;
  }
  EncerrarServico();
  return resultado;
}

void TDFeWebService::AplicarOpcoesGerador(TGeradorOpcoes& AOpcoes) {
  const TGeralConf& geral = FPConfiguracoes->Geral();
  AOpcoes.SetFormatoAlerta(geral.FormatoAlerta());
  AOpcoes.SetRetirarAcentos(geral.RetirarAcentos());
  AOpcoes.SetRetirarEspacos(geral.RetirarEspacos());
  AOpcoes.SetIdentarXML(geral.IdentarXML());
  if (ProcessTimeZone* fuso = FPDFeOwner->TimeZoneProcesso(); fuso != nullptr) {
    fuso->Assign(FPConfiguracoes->WebServices().TimeZoneConf());
  }
  AOpcoes.SetQuebraLinha(FPConfiguracoes->WebServices().QuebradeLinha());
}

// --- logging and failures

void TDFeWebService::RegistrarLog(const std::string& Msg, bool Exibir) {
  bool tratado = false;
  FPDFeOwner->FazerLog(Msg, tratado);
  if (tratado || !Exibir || Msg.empty() || !FPConfiguracoes->WebServices().Visualizar()) return;
  IFront* front = FPDFeOwner->SSL().Front();
  if (front == nullptr) return;
  DialogRequest caixa;
  caixa.type = DialogType::Information;
  caixa.title = "Informação";
  caixa.text = replaceAll(Msg, "\r\n", "\r");  // dialog texts break lines with a lone CR
  front->ShowDialog(caixa);
}

void TDFeWebService::RegistrarErro(const std::string& Msg, const std::exception* E) {
  FPDFeOwner->GerarException(Msg, E);
}

void TDFeWebService::NaoImplementado(const std::string& Metodo) {
  RegistrarErro(Metodo + " não implementado para: " + ClassName());
}

// --- preparing the call

void TDFeWebService::PrepararServico() {
  Clear();
  DefinirURL();
  if (FPURL.empty()) RegistrarErro("URL não definida para: " + ClassName());
  DefinirServicoEAction();
  if (FPServico.empty()) RegistrarErro("Servico não definido para: " + ClassName());
  if (FPSoapAction.empty()) RegistrarErro("SoapAction não definido para: " + ClassName());
  if (FPSoapAction == "*") FPSoapAction.clear();
}

void TDFeWebService::DefinirServicoEAction() {
  NaoImplementado("DefinirServicoEAction");
}

void TDFeWebService::DefinirURL() {
  NaoImplementado("DefinirURL");
}

void TDFeWebService::DefinirDadosMsg() {
  NaoImplementado("DefinirDadosMsg");
}

void TDFeWebService::PrepararIntegrador() {}

bool TDFeWebService::TratarResposta() {
  NaoImplementado("TratarResposta");
  return false;
}

void TDFeWebService::EncerrarServico() {}

std::string TDFeWebService::GerarVersaoDadosSoap() {
  NaoImplementado("GerarVersaoDadosSoap");
  return {};
}

std::string TDFeWebService::MontarMsgLog() {
  return {};
}

std::string TDFeWebService::MontarMsgErro(const std::exception&) {
  return {};
}

// --- envelope

void TDFeWebService::MontarEnvelopeSoap() {
  const std::string& p = FPSoapVersion;
  const std::string xmlns = " xmlns=\"" + FPServico + "\"";
  std::string envelope = "<" + p + ":Envelope " + FPSoapEnvelopeAtributtes + ">";
  if (!FPHeaderElement.empty()) {
    envelope += "<" + p + ":Header>";
    envelope +=
        "<" + FPHeaderElement + xmlns + ">" + MontarCabecalhoSoap() + "</" + FPHeaderElement + ">";
    envelope += "</" + p + ":Header>";
  }
  envelope += "<" + p + ":Body>";
  envelope += "<" + FPBodyElement + xmlns + ">" + FPDadosMsg + "</" + FPBodyElement + ">";
  envelope += "</" + p + ":Body>";
  envelope += "</" + p + ":Envelope>";
  FPEnvelopeSoap = std::move(envelope);
}

std::string TDFeWebService::MontarCabecalhoSoap() {
  return MontarUFSoap() + GerarVersaoDadosSoap();
}

std::string TDFeWebService::MontarUFSoap() {
  return "<cUF>" + std::to_string(FPConfiguracoes->WebServices().UFCodigo()) + "</cUF>";
}

std::string TDFeWebService::UrlWsdl() {
  return FPDFeOwner->GetNameSpaceURI() + "/wsdl/";
}

void TDFeWebService::AssinarDados(const std::string& ConteudoXML, const std::string& docElement,
                                  const std::string& infElement, const std::string& SignatureNode,
                                  const std::string& SelectionNamespaces,
                                  const std::string& IdSignature, const std::string& MsgErro) {
  try {
    FPDadosMsg = FPDFeOwner->SSL().Assinar(ConteudoXML, docElement, infElement, SignatureNode,
                                           SelectionNamespaces, IdSignature, "");
  } catch (const std::exception& E) {
    RegistrarErro((MsgErro.empty() ? std::string() : MsgErro + "\r\n") + E.what());
  }
}

// --- saving

std::string TDFeWebService::PrefixoArquivo() {
  const DateTimeParts agora = decodeDateTime(nowLocal());
  char texto[32];
  std::snprintf(texto, sizeof texto, "%04d%02d%02d%02d%02d%02d", agora.year, agora.month, agora.day,
                agora.hour, agora.minute, agora.second);
  return texto;
}

void TDFeWebService::GravarEnvio() {
  if (FPArqEnv.empty()) return;
  const bool salvarDados = FPConfiguracoes->Geral().Salvar();
  const bool salvarEnvelope = FPConfiguracoes->WebServices().Salvar();
  if (!salvarDados && !salvarEnvelope) return;
  const std::string pasta = FPConfiguracoes->Arquivos().PathSalvar();
  const std::string nome = PrefixoArquivo() + "-" + NomeArquivoSeguro(FPArqEnv);
  if (salvarDados) FPDFeOwner->Gravar(nome + ".xml", FPDadosMsg, pasta, Assinado(FPDadosMsg));
  if (salvarEnvelope) {
    FPDFeOwner->Gravar(nome + "-soap.xml", FPEnvelopeSoap, pasta, Assinado(FPEnvelopeSoap));
  }
}

void TDFeWebService::GravarResposta() {
  if (FPArqResp.empty()) return;
  const bool salvarDados = FPConfiguracoes->Geral().Salvar();
  const bool salvarEnvelope = FPConfiguracoes->WebServices().Salvar();
  if (!salvarDados && !salvarEnvelope) return;
  const std::string pasta = FPConfiguracoes->Arquivos().PathSalvar();
  const std::string nome = PrefixoArquivo() + "-" + NomeArquivoSeguro(FPArqResp);
  if (salvarDados) FPDFeOwner->Gravar(nome + ".xml", FPRetWS, pasta, true);
  if (salvarEnvelope) FPDFeOwner->Gravar(nome + "-soap.xml", FPRetornoWS, pasta, true);
}

}  // namespace luvaro
