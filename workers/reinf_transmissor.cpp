#include "workers/reinf_transmissor.h"

#include <string>
#include <utility>
#include <vector>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "integration/integrador.h"
#include "integration/integrador_orvane.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/lote_assincrono.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_exception.h"
#include "reinf/reinf_rest.h"
#include "reinf/reinf_web_services.h"

namespace luvaro {
namespace {

// The layout version of both jobs on the synchronous road, and on the asynchronous one.
constexpr auto kVersaoDFTransmissor = reinf::TVersaoReinf::v1_04_00;
constexpr auto kVersaoDFAssincrona = reinf::TVersaoReinf::v2_01_02;

constexpr const char* kLoteMisto =
    "O lote recebido do Orvane mistura eventos do leiaute 2.1.2 da EFD-Reinf (envio assíncrono) "
    "com eventos dos leiautes 1.0x (envio síncrono), que não podem ir no mesmo lote. Nenhum "
    "evento foi enviado. Separe os eventos por leiaute e tente novamente.";

// Whether the ERP's documents take the asynchronous road; a lot holding both layouts fails.
bool ViaAssincrona(const std::vector<std::string>& textos) {
  bool assincrona = false;
  bool sincrona = false;
  for (const std::string& texto : textos) {
    for (const std::string& documento : DividirDocumentos(texto, reinf::kFimEventoReinf)) {
      const reinf::TViaReinf via = reinf::ViaDoDocumento(documento);
      assincrona = assincrona || via == reinf::TViaReinf::viaAssincrona;
      sincrona = sincrona || via == reinf::TViaReinf::viaSincrona;
    }
  }
  if (assincrona && sincrona) throw reinf::EReinfException(kLoteMisto);
  return assincrona;
}

}  // namespace

TreinfTransmissor::TreinfTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente)
    : TTransmissorLote(std::move(pContexto), pAmbiente),
      FComponente(std::make_unique<reinf::TReinfComponente>(TUtil::GetAppPath())) {
  PrepararComponente(*FComponente);
}

TreinfTransmissor::~TreinfTransmissor() = default;

TDFeComponente& TreinfTransmissor::Componente() {
  return *FComponente;
}

void TreinfTransmissor::SetarVersaoDF() {
  FComponente->Configuracoes().Geral().SetVersaoDF(kVersaoDFTransmissor);
}

void TreinfTransmissor::SetarEmissaoPath() {
  FComponente->Configuracoes().Arquivos().SetEmissaoPathReinf(false);
}

void TreinfTransmissor::MontarEventos() {
  Status("Buscando eventos...");
  const TRecDadosTransmissao lote = Integrador().GetDadosTransmissao();

  // The ERP names only the contributor for this project type; its kind keeps the default.
  FComponente->Configuracoes().Geral().SetIdContribuinte(lote.empregadorInscricao);
  PastaDocumentos(lote.transmissorInscricao);

  FViaAssincrona = ViaAssincrona(lote.eventos);
  Status("Montando eventos...");
  if (FViaAssincrona) {
    FComponente->Configuracoes().Geral().SetVersaoDF(kVersaoDFAssincrona);
    reinf::TLoteAssincrono& assincronos = FComponente->EventosAssincronos();
    CarregarEventos(lote.eventos, {reinf::kFimEventoReinf,
                                   [&assincronos](const std::string& documento) {
                                     assincronos.Adicionar(documento);
                                   },
                                   [&assincronos] { return assincronos.Count(); }});
    return;
  }
  reinf::TEventos& eventos = FComponente->Eventos();
  CarregarEventos(lote.eventos,
                  {reinf::kFimEventoReinf,
                   [&eventos](const std::string& documento) { eventos.LoadFromString(documento); },
                   [&eventos] { return eventos.Count(); }});
}

void TreinfTransmissor::EnviarEventos() {
  if (FViaAssincrona) {
    EnviarEventosAssincronos();
    return;
  }
  if (FComponente->Eventos().Count() == 0)
    throw EDFeException("Nenhum evento encontrado para transmissão.");

  Status("Enviando eventos...");
  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  FComponente->Enviar();
  reinf::TEnvioLote& envio = FComponente->WebServices().EnvioLote();
  const std::string retorno = envio.RetWS();
  AvisarEventosDeixados();

  Status("Enviando retorno para o Orvane...");
  // The synchronous service's reply names no protocol for the lot.
  EntregarRetornoDoLote([&] { Integrador().EnviarRetornoEnvioXML(retorno); },
                        antes.Novo("-" + envio.ArqResp() + ".xml"), "");
}

void TreinfTransmissor::EnviarEventosAssincronos() {
  if (FComponente->EventosAssincronos().Count() == 0)
    throw EDFeException("Nenhum evento encontrado para transmissão.");

  Status("Enviando eventos...");
  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  FComponente->EnviarAssincrono();
  reinf::TEnvioLoteAssincrono& envio = FComponente->WebServices().EnvioLoteAssincrono();
  const std::string retorno = envio.RetWS();
  AvisarEventosDeixados();

  Status("Enviando retorno para o Orvane...");
  EntregarRetornoDoLote([&] { Integrador().EnviarRetornoEnvioXML(retorno); },
                        antes.Novo("-" + envio.ArqResp() + ".xml"), envio.Protocolo());
}

void TreinfTransmissor::ProcessarConsultaProtocolo() {
  Status("Consultando protocolo...");
  // The query names the contributor; a query run fetches no lot, so the company key of the
  // command line stands for its registration number.
  reinf::TGeralConfReinf& geral = FComponente->Configuracoes().Geral();
  const auto* orvane = dynamic_cast<const TIntegradorOrvane*>(&Integrador());
  geral.SetIdContribuinte(orvane != nullptr ? orvane->EmpresaKey() : std::string());

  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  if (reinf::ProtocoloAssincrono(Parametros().protocoloConsulta)) {
    // The protocol of an asynchronous lot: its state from the REST query service.
    geral.SetVersaoDF(kVersaoDFAssincrona);
    FComponente->ConsultarAssincrono(Parametros().protocoloConsulta);
    reinf::TConsultarLoteAssincrono& consulta =
        FComponente->WebServices().ConsultarLoteAssincrono();
    const std::string retorno = consulta.RetWS();
    Status("Enviando retorno para o Orvane...");
    EntregarRetorno([&] { Integrador().EnviarRetornoConsultaProtocoloXML(retorno); },
                    antes.Novo("-" + consulta.ArqResp() + ".xml"));
    return;
  }
  geral.SetVersaoDF(kVersaoDFTransmissor);
  FComponente->Consultar(Parametros().protocoloConsulta);
  reinf::TConsultar& consulta = FComponente->WebServices().Consultar();
  const std::string retorno = consulta.RetWS();

  Status("Enviando retorno para o Orvane...");
  EntregarRetorno([&] { Integrador().EnviarRetornoConsultaProtocoloXML(retorno); },
                  antes.Novo("-" + consulta.ArqResp() + ".xml"));
}

}  // namespace luvaro
