#include "workers/transmissor.h"

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/core/util.h"
#include "dfe/config/configuracoes.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/server_identity.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/nome_arquivo.h"
#include "integration/integrador_orvane.h"
#include "workers/certificado.h"
#include "workers/tratar_exception_envio.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

// The current local month as MMyyyy.
std::string MesAtual() {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  char texto[8];
  std::strftime(texto, sizeof texto, "%m%Y", &local);
  return texto;
}

// Creates one folder level when it is missing.
void CriarPasta(const fs::path& pasta) {
  std::error_code erro;
  fs::create_directory(pasta, erro);
  if (erro) {
    throw EDFeException("Não foi possível criar a pasta \"" + pasta.string() +
                        "\": " + erro.message());
  }
}

}  // namespace

int TimeOutDoAmbiente() {
  const char* valor = std::getenv("LUVARO_TIMEOUT_MS");
  if (valor == nullptr) return kTimeOutTransmissao;
  const std::string_view texto(valor);
  int ms = 0;
  const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), ms);
  if (erro != std::errc() || fim != texto.data() + texto.size() || ms < 1)
    return kTimeOutTransmissao;
  return ms;
}

bool VerificarServidorDoAmbiente() {
  return VerificarServidorDoValor(std::getenv(kVariavelVerificarServidor));
}

std::string MensagemLoteEntregue(const std::string& pProtocolo,
                                 const std::optional<fs::path>& pSalvo) {
  return "O lote foi entregue" + (pProtocolo.empty() ? "" : " (protocolo " + pProtocolo + ")") +
         ", mas o retorno não foi recebido pelo Orvane. Não envie o lote novamente; " +
         (pSalvo ? "o retorno foi salvo em: " + pSalvo->string() : "o retorno não foi salvo.");
}

std::shared_ptr<IIntegrador> CriarIntegradorOrvane(const TEnderecosOrvane& pEnderecos) {
  auto integrador = std::make_shared<TIntegradorOrvane>();
  integrador->SetUrlBuscaEventos(pEnderecos.UrlBuscaEventos);
  integrador->SetUrlRetornaEventosXml(pEnderecos.UrlRetornaEventosXml);
  integrador->SetUrlRetornaProtocoloXml(pEnderecos.UrlRetornaProtocoloXml);
  integrador->SetEmpresaKey(pEnderecos.EmpresaKey);
  integrador->SetTipoProjeto(pEnderecos.TipoProjeto);
  return integrador;
}

// --- TArquivosSalvos

TArquivosSalvos::TArquivosSalvos(fs::path pPasta) : m_pasta(std::move(pPasta)) {
  std::error_code erro;
  for (fs::directory_iterator it(m_pasta, erro), fim; !erro && it != fim; it.increment(erro)) {
    std::error_code e;
    if (it->is_regular_file(e)) m_antes[it->path()] = it->last_write_time(e);
  }
}

std::optional<fs::path> TArquivosSalvos::Novo(const std::string& pSufixo) const {
  std::optional<fs::path> achado;
  fs::file_time_type quando{};
  std::error_code erro;
  for (fs::directory_iterator it(m_pasta, erro), fim; !erro && it != fim; it.increment(erro)) {
    std::error_code e;
    if (!it->is_regular_file(e) || !it->path().filename().string().ends_with(pSufixo)) continue;
    const fs::file_time_type escrito = it->last_write_time(e);
    if (e) continue;
    const auto antes = m_antes.find(it->path());
    if (antes != m_antes.end() && antes->second == escrito) continue;
    if (!achado || escrito > quando) {
      achado = it->path();
      quando = escrito;
    }
  }
  return achado;
}

// --- TTransmissor

TTransmissor::TTransmissor(WorkerContext pContexto, const TAmbienteTransmissao& pAmbiente)
    : FParametros(std::move(pContexto.Parametros)),
      FAtualizarStatus(std::move(pContexto.AtualizarStatus)),
      FFront(pContexto.Front),
      FLoop(pContexto.Loop),
      FAmbiente(pAmbiente) {
  FIntegrador = FAmbiente.CriarIntegrador ? FAmbiente.CriarIntegrador(pContexto.Orvane)
                                          : CriarIntegradorOrvane(pContexto.Orvane);
}

TTransmissor::~TTransmissor() = default;

void TTransmissor::Execute() {
  Proteger([this] { SetarConfiguracoes(); });
  ExecutarProcesso();
}

void TTransmissor::PrepararComponente(TDFeComponente& pComponente) {
  pComponente.SSL().SetTokenEnv(FAmbiente.Tokens);
  pComponente.SSL().SetFront(&FFront);
  pComponente.SSL().SetOnAviso([](const std::string& aviso) {
    try {
      TUtil::LogAppend(aviso);
    } catch (const std::exception&) {
      // The log is best effort, as everywhere in the program; the request goes on.
    }
  });
  pComponente.SetTimeZoneProcesso(FAmbiente.TimeZone);
}

void TTransmissor::SetarConfiguracoes() {
  TDFeComponente& componente = Componente();
  TConfiguracoes& configuracoes = componente.Configuracoes();
  TGeralConf& geral = configuracoes.Geral();
  TWebServicesConf& webServices = configuracoes.WebServices();
  TArquivosConf& arquivos = configuracoes.Arquivos();
  std::string pastaAplicacao = TUtil::GetAppPath();
  if (pastaAplicacao.ends_with('/')) pastaAplicacao.pop_back();

  componente.SSL().SetSSLType(TSSLType::LT_all);
  geral.SetSSLLib(TSSLLib::libWinCrypt);
  geral.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  geral.SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  geral.SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  geral.SetExibirErroSchema(false);
  geral.SetRetirarAcentos(true);
  SetarVersaoDF();
  geral.SetSalvar(true);
  webServices.SetAmbiente(FParametros.ambiente == 0 ? TTipoAmbiente::taProducao
                                                    : TTipoAmbiente::taHomologacao);
  webServices.SetTimeOut(FAmbiente.TimeOut);
  webServices.SetVerificarServidor(FAmbiente.VerificarServidor);
  arquivos.SetSalvar(SalvarArquivos());
  arquivos.SetSepararPorMes(false);
  arquivos.SetAdicionarLiteral(false);
  SetarEmissaoPath();
  arquivos.SetSepararPorCNPJ(false);
  arquivos.SetPathSalvar(pastaAplicacao + "/Docs/");
  // What the program reads but never writes may come with an installed program rather than
  // from the application folder (app/core/pastas_aplicacao.h).
  arquivos.SetPathSchemas(TUtil::GetDataPath("schemas").string());
  arquivos.SetIniServicos(TUtil::GetDataPath(webServices.ResourceName() + ".ini").string());
  componente.SSL().SetPastaCadeias(TUtil::GetDataPath(kPastaCadeias));

  Status("Configurando certificado...");
  FCertificado = std::make_unique<TCertificado>(componente);
  componente.SSL().SetNumeroSerie(FCertificado->NumeroSerie());
}

void TTransmissor::Proteger(const std::function<void()>& pOperacao) {
  try {
    pOperacao();
  } catch (const std::exception& erro) {
    TratarExceptionEnvio(erro, FFront, FLoop);
  }
}

void TTransmissor::Status(const std::string& pTexto) {
  if (FAtualizarStatus) FAtualizarStatus(pTexto);
}

void TTransmissor::Avisar(const std::string& pTexto) {
  TMensagem::mostrarMsgAtencaoOk(FFront, FLoop, pTexto, false);
}

bool TTransmissor::SemCertificado() {
  if (FCertificado && !FCertificado->NumeroSerie().empty()) return false;
  SetExitCode(2);
  return true;
}

void TTransmissor::PastaDocumentos(const std::string& pInscricao) {
  TArquivosConf& arquivos = Componente().Configuracoes().Arquivos();
  fs::path pasta = arquivos.PathSalvar();
  CriarPasta(pasta);
  const std::string nivel = NomeArquivoSeguro(pInscricao);
  if (!nivel.empty()) {
    pasta /= nivel;
    CriarPasta(pasta);
  }
  pasta /= MesAtual();
  CriarPasta(pasta);
  arquivos.SetPathSalvar(pasta.string());
}

void TTransmissor::CarregarDocumentos(const std::vector<std::string>& pDocumentos,
                                      const std::function<void(const std::string&)>& pCarregar) {
  for (const std::string& documento : pDocumentos) {
    try {
      pCarregar(documento);
    } catch (const std::exception&) {
      // One document that cannot be read does not stop the others; the service's reply tells
      // the ERP about the query.
    }
  }
}

void TTransmissor::EntregarRetorno(const std::function<void()>& pEnviar,
                                   const std::optional<fs::path>& pSalvo) {
  try {
    pEnviar();
  } catch (const std::exception&) {
    try {
      TUtil::LogAppend(pSalvo ? "Retorno não entregue ao Orvane, salvo em: " + pSalvo->string()
                              : std::string("Retorno não entregue ao Orvane e não salvo."));
    } catch (const std::exception&) {
      // The log is best effort here; the failure itself is reported next.
    }
    throw;
  }
}

void TTransmissor::EntregarRetornoDoLote(const std::function<void()>& pEnviar,
                                         const std::optional<fs::path>& pSalvo,
                                         const std::string& pProtocolo) {
  try {
    EntregarRetorno(pEnviar, pSalvo);
  } catch (const std::exception& erro) {
    throw EDFeException(MensagemLoteEntregue(pProtocolo, pSalvo) + "\r\r" + erro.what());
  }
}

// --- TTransmissorLote

void TTransmissorLote::ExecutarProcesso() {
  switch (Parametros().processoExecutar) {
    case TTipoProcesso::procEnvioXML:
      if (SemCertificado()) return;
      Proteger([this] { MontarEventos(); });
      Proteger([this] { EnviarEventos(); });
      return;
    case TTipoProcesso::procConsultaProtocolo:
      if (SemCertificado()) return;
      Proteger([this] { ProcessarConsultaProtocolo(); });
      return;
    case TTipoProcesso::procConsultaEBX:
      return;  // this worker has no table-event job: the certificate choice was all
  }
}

void TTransmissorLote::CarregarEventos(const std::vector<std::string>& pDocumentos,
                                       const TConteinerEventos& pConteiner) {
  FDeixados = CarregarEventosDoLote(pDocumentos, pConteiner);
}

void TTransmissorLote::AvisarEventosDeixados() {
  if (!FDeixados.empty()) Avisar(MensagemEventosDeixados(FDeixados));
}

}  // namespace luvaro
