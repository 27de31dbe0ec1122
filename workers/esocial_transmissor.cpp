#include "workers/esocial_transmissor.h"

#include <string>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_web_services.h"
#include "esocial/eventos.h"
#include "integration/integrador.h"

namespace luvaro {
namespace {

// The layout version the worker configures: beyond the three versions of the
// table, so the component derives no schema version from it (event schema
// "<name>-v.xsd", service version 0).
constexpr auto kVersaoDFTransmissor = static_cast<TVersaoeSocial>(5);

}  // namespace

TeSocialTransmissor::TeSocialTransmissor(WorkerContext pContexto,
                                         const TAmbienteTransmissao& pAmbiente)
    : TTransmissorLote(std::move(pContexto), pAmbiente),
      FComponente(std::make_unique<TeSocialComponente>(TUtil::GetAppPath())) {
  PrepararComponente(*FComponente);
}

TeSocialTransmissor::~TeSocialTransmissor() = default;

TDFeComponente& TeSocialTransmissor::Componente() {
  return *FComponente;
}

void TeSocialTransmissor::SetarVersaoDF() {
  FComponente->Configuracoes().Geral().SetVersaoDF(kVersaoDFTransmissor);
}

void TeSocialTransmissor::SetarEmissaoPath() {
  FComponente->Configuracoes().Arquivos().SetEmissaoPatheSocial(false);
}

void TeSocialTransmissor::MontarEventos() {
  Status("Buscando eventos...");
  const TRecDadosTransmissao lote = Integrador().GetDadosTransmissao();

  TGeralConfeSocial& geral = FComponente->Configuracoes().Geral();
  if (lote.empregadorTipoInscricao == "2") geral.SetTipoEmpregador(TEmpregador::tePessoaFisica);
  geral.SetIdEmpregador(lote.empregadorInscricao);
  geral.SetIdTransmissor(lote.transmissorInscricao);
  PastaDocumentos(lote.transmissorInscricao);

  Status("Montando eventos...");
  TEventos& eventos = FComponente->Eventos();
  CarregarEventos(lote.eventos,
                  {kFimEventoeSocial,
                   [&eventos](const std::string& documento) { eventos.LoadFromString(documento); },
                   [&eventos] { return static_cast<std::size_t>(eventos.Count()); }});
}

void TeSocialTransmissor::EnviarEventos() {
  if (FComponente->Eventos().Count() == 0)
    throw EDFeException("Nenhum evento encontrado para transmissão.");

  Status("Enviando eventos...");
  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  FComponente->Enviar(Parametros().grupoESocial);
  TEnvioLote& envio = FComponente->WebServices().EnvioLote();
  const std::string retorno = envio.RetWS();
  AvisarEventosDeixados();

  Status("Enviando retorno para o Orvane...");
  EntregarRetornoDoLote([&] { Integrador().EnviarRetornoEnvioXML(retorno); },
                        antes.Novo("-" + envio.ArqResp() + ".xml"),
                        envio.RetEnvioLote().DadosRecLote().Protocolo);
}

void TeSocialTransmissor::ProcessarConsultaProtocolo() {
  Status("Consultando protocolo...");
  const TArquivosSalvos antes(FComponente->Configuracoes().Arquivos().PathSalvar());
  FComponente->Consultar(Parametros().protocoloConsulta);
  const TConsultaLote& consulta = FComponente->WebServices().ConsultaLote();
  const std::string retorno = consulta.RetWS();

  Status("Enviando retorno para o Orvane...");
  EntregarRetorno([&] { Integrador().EnviarRetornoConsultaProtocoloXML(retorno); },
                  antes.Novo("-" + consulta.ArqResp() + ".xml"));
}

}  // namespace luvaro
