#include "workers/reinf_transmissor.h"

#include <string>
#include <utility>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "integration/integrador.h"
#include "integration/integrador_orvane.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_web_services.h"

namespace luvaro {
namespace {

// The layout version of both jobs.
constexpr auto kVersaoDFTransmissor = reinf::TVersaoReinf::v1_04_00;

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

  Status("Montando eventos...");
  reinf::TEventos& eventos = FComponente->Eventos();
  CarregarEventos(lote.eventos,
                  {reinf::kFimEventoReinf,
                   [&eventos](const std::string& documento) { eventos.LoadFromString(documento); },
                   [&eventos] { return eventos.Count(); }});
}

void TreinfTransmissor::EnviarEventos() {
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

void TreinfTransmissor::ProcessarConsultaProtocolo() {
  Status("Consultando protocolo...");
  // The query names the contributor; a query run fetches no lot, so the company key of the
  // command line stands for its registration number.
  reinf::TGeralConfReinf& geral = FComponente->Configuracoes().Geral();
  const auto* orvane = dynamic_cast<const TIntegradorOrvane*>(&Integrador());
  geral.SetIdContribuinte(orvane != nullptr ? orvane->EmpresaKey() : std::string());
  geral.SetVersaoDF(kVersaoDFTransmissor);

  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  FComponente->Consultar(Parametros().protocoloConsulta);
  reinf::TConsultar& consulta = FComponente->WebServices().Consultar();
  const std::string retorno = consulta.RetWS();

  Status("Enviando retorno para o Orvane...");
  EntregarRetorno([&] { Integrador().EnviarRetornoConsultaProtocoloXML(retorno); },
                  antes.Novo("-" + consulta.ArqResp() + ".xml"));
}

}  // namespace luvaro
