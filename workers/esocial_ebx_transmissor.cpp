#include "workers/esocial_ebx_transmissor.h"

#include <optional>
#include <string>
#include <utility>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_web_services.h"
#include "integration/integrador.h"
#include "integration/integrador_orvane.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

// The identifier query found events: 201 (all of them) or 203 (more than the service returns
// at once); the first is downloaded.
bool EncontrouEventos(int cdResposta) {
  return cdResposta == 201 || cdResposta == 203;
}

}  // namespace

TesocialEbxTransmissor::TesocialEbxTransmissor(WorkerContext pContexto,
                                               const TAmbienteTransmissao& pAmbiente)
    : TTransmissor(std::move(pContexto), pAmbiente),
      FComponente(std::make_unique<TeSocialComponente>(TUtil::GetAppPath())) {
  PrepararComponente(*FComponente);
}

TesocialEbxTransmissor::~TesocialEbxTransmissor() = default;

TDFeComponente& TesocialEbxTransmissor::Componente() {
  return *FComponente;
}

void TesocialEbxTransmissor::SetarVersaoDF() {
  FComponente->Configuracoes().Geral().SetVersaoDF(TVersaoeSocial::ve02_04_02);
}

void TesocialEbxTransmissor::SetarEmissaoPath() {
  FComponente->Configuracoes().Arquivos().SetEmissaoPatheSocial(false);
}

void TesocialEbxTransmissor::ExecutarProcesso() {
  // The table-event job, whatever the process number.
  if (SemCertificado()) return;
  Proteger([this] { ProcessarConsultaEventosTabela(); });
}

void TesocialEbxTransmissor::ProcessarConsultaEventosTabela() {
  Status("Consultando eventos de tabela...");
  // For this project type the company key is the employer's registration number.
  const auto* orvane = dynamic_cast<const TIntegradorOrvane*>(&Integrador());
  TGeralConfeSocial& geral = FComponente->Configuracoes().Geral();
  geral.SetIdEmpregador(orvane != nullptr ? orvane->EmpresaKey() : Parametros().empresaKey);
  geral.SetVersaoDF(TVersaoeSocial::ve02_05_00);
  MontarEventos();
  EnviarEventos();
}

void TesocialEbxTransmissor::MontarEventos() {
  Status("Buscando eventos...");
  const TRecDadosTransmissao lote = Integrador().GetDadosTransmissao();
  PastaDocumentos(lote.transmissorInscricao);

  Status("Montando eventos...");
  TConsultaIdentEventos& consulta = FComponente->WebServices().ConsultaIdentEventos();
  CarregarDocumentos(lote.eventos,
                     [&consulta](const std::string& documento) { consulta.SetXML(documento); });
}

void TesocialEbxTransmissor::EnviarEventos() {
  TWebServices& webServices = FComponente->WebServices();
  TConsultaIdentEventos& consulta = webServices.ConsultaIdentEventos();
  if (consulta.XML().empty()) throw EDFeException("Nenhum evento encontrado para transmissão.");

  Status("Enviando eventos...");
  const fs::path pasta = FComponente->Configuracoes().Arquivos().PathSalvar();
  const TArquivosSalvos antesConsulta(pasta);
  if (!consulta.Executar()) throw EDFeException(consulta.Msg());
  std::string retorno = consulta.RetWS();
  std::optional<fs::path> salvo = antesConsulta.Novo("-" + consulta.ArqResp() + ".xml");

  Status("Avaliando Retorno...");
  const TRetConsultaIdentEvt& resposta = consulta.RetConsultaIdentEvt();
  if (EncontrouEventos(resposta.Status().cdResposta)) {
    Status("Preparando download...");
    if (resposta.RetIdentEvts().Items.empty())
      throw EDFeException("Nenhum identificador de evento retornado pela consulta.");
    const std::string nrRec = resposta.RetIdentEvts().Items.front().nrRec;
    const TArquivosSalvos antesDownload(pasta);
    webServices.DownloadEvento(FComponente->Configuracoes().Geral().IdEmpregador(), "", nrRec);
    const TDownloadEventos& download = webServices.DownloadEventos();
    retorno = download.RetWS();
    salvo = antesDownload.Novo("-" + download.ArqResp() + ".xml");
  }

  Status("Enviando retorno para o Orvane...");
  EntregarRetorno([&] { Integrador().EnviarRetornoEnvioXML(retorno); }, salvo);
}

}  // namespace luvaro
