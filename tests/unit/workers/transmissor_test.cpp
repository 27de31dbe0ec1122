#include "workers/transmissor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/silent_abort.h"
#include "app/core/util.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/process_time_zone.h"
#include "integration/integrador_orvane.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/app/recording_front.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

std::string MesAtual() {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  char texto[8];
  std::strftime(texto, sizeof texto, "%m%Y", &local);
  return texto;
}

struct IntegradorFalso final : IIntegrador {
  TRecDadosTransmissao GetDadosTransmissao() override { return {}; }
  bool EnviarRetornoEnvioXML(const std::string&) override { return true; }
  bool EnviarRetornoConsultaProtocoloXML(const std::string&) override { return true; }
};

// A worker of the shared shape over the framework's plain component; its steps only record
// that they ran, and the shared steps are opened to the test.
class TransmissorDeTeste final : public TTransmissorLote {
 public:
  TransmissorDeTeste(WorkerContext contexto, const TAmbienteTransmissao& ambiente)
      : TTransmissorLote(std::move(contexto), ambiente),
        m_componente(std::make_unique<TDFeComponente>(TUtil::GetAppPath())) {
    PrepararComponente(*m_componente);
  }

  using TTransmissor::CarregarDocumentos;
  using TTransmissor::EntregarRetorno;
  using TTransmissor::EntregarRetornoDoLote;
  using TTransmissor::PastaDocumentos;
  using TTransmissorLote::AvisarEventosDeixados;
  using TTransmissorLote::CarregarEventos;
  void RodarProcesso() { ExecutarProcesso(); }
  TDFeComponente& componente() { return *m_componente; }

  std::vector<std::string> passos;

 protected:
  TDFeComponente& Componente() override { return *m_componente; }
  void SetarVersaoDF() override { passos.push_back("SetarVersaoDF"); }
  void SetarEmissaoPath() override { passos.push_back("SetarEmissaoPath"); }
  void MontarEventos() override { passos.push_back("MontarEventos"); }
  void EnviarEventos() override { passos.push_back("EnviarEventos"); }
  void ProcessarConsultaProtocolo() override { passos.push_back("ProcessarConsultaProtocolo"); }

 private:
  std::unique_ptr<TDFeComponente> m_componente;
};

class TransmissorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUVARO_HOME", home.path().c_str(), 1);
    fs::create_directories(home / "Logs");
    SetExitCode(0);
  }
  void TearDown() override {
    unsetenv("LUVARO_HOME");
    unsetenv("LUVARO_TIMEOUT_MS");
  }

  // A worker with the given process; no token environment unless the test gives one.
  std::unique_ptr<TransmissorDeTeste> Criar(TTipoProcesso processo,
                                            TAmbienteTransmissao ambiente = Falso()) {
    TRecParametros parametros;
    parametros.processoExecutar = processo;
    parametros.ambiente = 1;
    WorkerContext contexto{
        parametros, [this](const std::string& s) { status.push_back(s); }, {}, front, loop};
    return std::make_unique<TransmissorDeTeste>(std::move(contexto), ambiente);
  }

  static TAmbienteTransmissao Falso() {
    TAmbienteTransmissao ambiente;
    ambiente.TimeOut = 4321;
    ambiente.CriarIntegrador = [](const TEnderecosOrvane&) {
      return std::make_shared<IntegradorFalso>();
    };
    return ambiente;
  }

  std::string Logs() const {
    std::string todos;
    for (const auto& arquivo : fs::directory_iterator(home / "Logs")) {
      std::ifstream in(arquivo.path(), std::ios::binary);
      todos.append(std::istreambuf_iterator<char>(in), {});
    }
    return todos;
  }

  test::TempDir home{"luvaro-transmissor"};
  test::RecordingFront front;
  MainThreadQueue loop;
  std::vector<std::string> status;
};

TEST_F(TransmissorTest, TimeOutOfTheEnvironment) {
  struct Caso {
    const char* valor;  // nullptr: unset
    int esperado;
  } casos[] = {
      {nullptr, 180000}, {"1500", 1500},  {"1", 1},        {"0", 180000},   {"-5", 180000},
      {"", 180000},      {"15x", 180000}, {" 15", 180000}, {"abc", 180000}, {"99999999999", 180000},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.valor ? c.valor : "(unset)");
    if (c.valor)
      setenv("LUVARO_TIMEOUT_MS", c.valor, 1);
    else
      unsetenv("LUVARO_TIMEOUT_MS");
    EXPECT_EQ(TimeOutDoAmbiente(), c.esperado);
  }
}

TEST_F(TransmissorTest, ServerCheckOfTheEnvironment) {
  const struct {
    const char* valor;  // nullptr: unset
    bool esperado;
  } casos[] = {{nullptr, true}, {"1", true}, {"", true}, {"0", false}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.valor ? c.valor : "(unset)");
    if (c.valor)
      setenv("LUVARO_VERIFICAR_SERVIDOR", c.valor, 1);
    else
      unsetenv("LUVARO_VERIFICAR_SERVIDOR");
    EXPECT_EQ(VerificarServidorDoAmbiente(), c.esperado);
  }
  unsetenv("LUVARO_VERIFICAR_SERVIDOR");
}

// The check switched off at start-up reaches the component, and the facade's warnings (one per
// request to a server left unchecked) reach the log.
TEST_F(TransmissorTest, ServerCheckOffReachesTheComponentAndItsWarningsTheLog) {
  TAmbienteTransmissao ambiente = Falso();
  ambiente.VerificarServidor = false;
  auto worker = Criar(TTipoProcesso::procEnvioXML, ambiente);
  EXPECT_THROW(worker->Execute(), TSilentAbort);  // no token module: the settings are in place
  EXPECT_FALSE(worker->componente().Configuracoes().WebServices().VerificarServidor());
  TDFeSSL& ssl = worker->componente().SSL();
  EXPECT_FALSE(ssl.VerificarServidor());
  ssl.Avisar("ATENÇÃO: identidade do servidor h.gov.br não verificada.");
  EXPECT_NE(Logs().find(" - ATENÇÃO: identidade do servidor h.gov.br não verificada.\r\n"),
            std::string::npos)
      << Logs();
}

TEST_F(TransmissorTest, ErpClientIsMadeFromTheRunsEndpoints) {
  const TEnderecosOrvane enderecos{
      "http://erp/spring/esocial/lotes", "http://erp/spring/esocial/lotesRetorno",
      "http://erp/spring/esocial/consultaProtocoloRetorno", "K-1", "esocial"};
  const auto integrador =
      std::dynamic_pointer_cast<TIntegradorOrvane>(CriarIntegradorOrvane(enderecos));
  ASSERT_NE(integrador, nullptr);
  EXPECT_EQ(integrador->UrlBuscaEventos(), enderecos.UrlBuscaEventos);
  EXPECT_EQ(integrador->UrlRetornaEventosXml(), enderecos.UrlRetornaEventosXml);
  EXPECT_EQ(integrador->UrlRetornaProtocoloXml(), enderecos.UrlRetornaProtocoloXml);
  EXPECT_EQ(integrador->EmpresaKey(), "K-1");
  EXPECT_EQ(integrador->TipoProjeto(), "esocial");
}

// The process-wide objects main() made reach the worker's component.
TEST_F(TransmissorTest, ProcessTimeZoneReachesTheComponent) {
  ProcessTimeZone fuso;
  TAmbienteTransmissao ambiente = Falso();
  ambiente.TimeZone = &fuso;
  EXPECT_EQ(Criar(TTipoProcesso::procEnvioXML, ambiente)->componente().TimeZoneProcesso(), &fuso);
  EXPECT_EQ(Criar(TTipoProcesso::procEnvioXML)->componente().TimeZoneProcesso(), nullptr);
}

// A failure while choosing the certificate (here: no token module at all) is reported like a
// job failure: the generic dialog, a log line, exit code 1, and no job runs.
TEST_F(TransmissorTest, ConfigurationFailureIsReportedAndStopsTheRun) {
  auto worker = Criar(TTipoProcesso::procEnvioXML);
  EXPECT_THROW(worker->Execute(), TSilentAbort);

  EXPECT_EQ(GetExitCode(), 1);
  EXPECT_EQ(status, std::vector<std::string>{"Configurando certificado..."});
  EXPECT_EQ(worker->passos, (std::vector<std::string>{"SetarVersaoDF", "SetarEmissaoPath"}));
  const auto dialogs = front.dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const std::string generico = "Erro durante a execução: \r\rERRO: ";
  const std::string& texto = dialogs[0].request.text;
  ASSERT_TRUE(texto.starts_with(generico)) << texto;
  const std::string detalhe = texto.substr(generico.size());
  EXPECT_FALSE(detalhe.empty());
  EXPECT_NE(Logs().find(" - ERROR: " + detalhe + "\r\n"), std::string::npos) << Logs();

  // Every setting was in place before the choice.
  TConfiguracoes& conf = worker->componente().Configuracoes();
  EXPECT_EQ(worker->componente().SSL().SSLType(), TSSLType::LT_all);
  EXPECT_EQ(conf.Geral().SSLLib(), TSSLLib::libWinCrypt);
  EXPECT_EQ(conf.Geral().SSLCryptLib(), TSSLCryptLib::cryWinCrypt);
  EXPECT_EQ(conf.Geral().SSLHttpLib(), TSSLHttpLib::httpWinHttp);
  EXPECT_EQ(conf.Geral().SSLXmlSignLib(), TSSLXmlSignLib::xsLibXml2);
  EXPECT_FALSE(conf.Geral().ExibirErroSchema());
  EXPECT_TRUE(conf.Geral().RetirarAcentos());
  EXPECT_TRUE(conf.Geral().Salvar());
  EXPECT_EQ(conf.WebServices().Ambiente(), TTipoAmbiente::taHomologacao);
  EXPECT_EQ(conf.WebServices().TimeOut(), 4321);
  EXPECT_TRUE(conf.WebServices().VerificarServidor());
  EXPECT_TRUE(worker->componente().SSL().VerificarServidor());
  EXPECT_EQ(worker->componente().SSL().PastaCadeias(), home.path() / "cadeias");
  EXPECT_FALSE(conf.Arquivos().Salvar());
  EXPECT_FALSE(conf.Arquivos().SepararPorMes());
  EXPECT_FALSE(conf.Arquivos().AdicionarLiteral());
  EXPECT_FALSE(conf.Arquivos().SepararPorCNPJ());
  EXPECT_EQ(conf.Arquivos().PathSalvar(), (home.path() / "Docs/").string());
  EXPECT_EQ(conf.Arquivos().PathSchemas(), (home.path() / "schemas/").string());
}

// Without a chosen certificate the send and the query end with exit code 2 and no message;
// process 2 of this worker does nothing and keeps exit code 0.
TEST_F(TransmissorTest, NoCertificateSkipsTheJob) {
  struct Caso {
    TTipoProcesso processo;
    int exitCode;
  } casos[] = {{TTipoProcesso::procEnvioXML, 2},
               {TTipoProcesso::procConsultaProtocolo, 2},
               {TTipoProcesso::procConsultaEBX, 0}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(static_cast<int>(c.processo));
    SetExitCode(0);
    auto worker = Criar(c.processo);
    worker->RodarProcesso();
    EXPECT_EQ(GetExitCode(), c.exitCode);
    EXPECT_TRUE(worker->passos.empty());
    EXPECT_TRUE(front.dialogs().empty());
  }
}

TEST_F(TransmissorTest, DocumentFolderStep) {
  struct Caso {
    const char* nome;
    std::string inscricao;
    fs::path esperada;  // under Docs
  } casos[] = {
      {"transmitter", "12345678000195", fs::path("12345678000195") / MesAtual()},
      {"no transmitter: the month folder under Docs", "", fs::path(MesAtual())},
      {"a value that would leave Docs", "../../fora", fs::path(".__.__fora") / MesAtual()},
      {"the parent folder", "..", fs::path("._") / MesAtual()},
      {"separators", "a/b\\c", fs::path("a_b_c") / MesAtual()},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    auto worker = Criar(TTipoProcesso::procEnvioXML);
    worker->componente().Configuracoes().Arquivos().SetPathSalvar((home.path() / "Docs/").string());
    worker->PastaDocumentos(c.inscricao);
    const fs::path esperada = home.path() / "Docs" / c.esperada;
    EXPECT_TRUE(fs::is_directory(esperada)) << esperada;
    EXPECT_EQ(worker->componente().Configuracoes().Arquivos().PathSalvar(),
              esperada.string() + "/");
  }
}

TEST_F(TransmissorTest, DocumentFolderThatCannotBeMadeFails) {
  auto worker = Criar(TTipoProcesso::procEnvioXML);
  std::ofstream(home.path() / "arquivo") << "x";  // a file where a folder should be
  worker->componente().Configuracoes().Arquivos().SetPathSalvar((home.path() / "arquivo").string());
  EXPECT_THROW(worker->PastaDocumentos("123"), EDFeException);
}

// Each document is offered in order; one that fails is passed over without a word.
TEST_F(TransmissorTest, DocumentsThatFailArePassedOver) {
  std::vector<std::string> oferecidos;
  TransmissorDeTeste::CarregarDocumentos({"a", "falha", "b", "falha", "c"},
                                         [&](const std::string& documento) {
                                           oferecidos.push_back(documento);
                                           if (documento == "falha")
                                             throw EDFeException("inválido");
                                         });
  EXPECT_EQ(oferecidos, (std::vector<std::string>{"a", "falha", "b", "falha", "c"}));
  EXPECT_TRUE(front.dialogs().empty());
  EXPECT_EQ(Logs(), "");
}

// The documents a send left out are shown once, after the send, in a warning with only an OK
// button and no stop flag: the run goes on and its exit code stays.
TEST_F(TransmissorTest, DocumentsLeftOutAreShownInOneWarning) {
  auto worker = Criar(TTipoProcesso::procEnvioXML);
  std::vector<std::string> carregados;
  const TConteinerEventos conteiner{"</eSocial>",
                                    [&](const std::string& documento) {
                                      if (documento.find("<evtA ") != std::string::npos)
                                        carregados.push_back(documento);
                                    },
                                    [&] { return carregados.size(); }};
  worker->AvisarEventosDeixados();
  EXPECT_TRUE(front.dialogs().empty()) << "nothing loaded, nothing left out";

  worker->CarregarEventos(
      {"<eSocial><evtA Id=\"ID1\"/></eSocial>", "<eSocial><evtB Id=\"ID2\"/></eSocial>"},
      conteiner);
  EXPECT_EQ(carregados.size(), 1u);
  EXPECT_TRUE(front.dialogs().empty()) << "named at the end of the send only";
  worker->AvisarEventosDeixados();

  const auto dialogs = front.dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const DialogRequest& aviso = dialogs[0].request;
  EXPECT_EQ(aviso.type, DialogType::Warning);
  EXPECT_EQ(aviso.title, "Atenção");
  EXPECT_EQ(aviso.buttons, std::vector<DialogButton>{DialogButton::Ok});
  EXPECT_EQ(aviso.text,
            "1 evento(s) não foram incluídos no lote:\rPosição 2 (ID2): Tipo de evento não "
            "reconhecido.");
  EXPECT_EQ(GetExitCode(), 0);
  EXPECT_FALSE(loop.TerminateRequested());
  EXPECT_NE(Logs().find(" - Evento não incluído no lote - posição 2 (ID2): Tipo de evento não "
                        "reconhecido.\r\n"),
            std::string::npos)
      << Logs();
}

// A reply the ERP refused is named in the log with the file that holds it; the failure itself
// goes on unchanged.
TEST_F(TransmissorTest, ReplyThatCouldNotBeDeliveredIsNamedInTheLog) {
  auto worker = Criar(TTipoProcesso::procEnvioXML);
  const fs::path salvo = home.path() / "Docs" / "240510120000-rec.xml";
  struct Caso {
    const char* nome;
    bool falha;
    std::optional<fs::path> arquivo;
    std::string log;
  } casos[] = {
      {"delivered", false, salvo, ""},
      {"refused, saved", true, salvo,
       " - Retorno não entregue ao Orvane, salvo em: " + salvo.string() + "\r\n"},
      {"refused, not found", true, std::nullopt,
       " - Retorno não entregue ao Orvane e não salvo.\r\n"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    for (const auto& arquivo : fs::directory_iterator(home / "Logs")) fs::remove(arquivo);
    const auto enviar = [&] {
      if (c.falha) throw EDFeException("Erro ao enviar o retorno do envio para o Orvane.");
    };
    if (c.falha) {
      EXPECT_THROW(worker->EntregarRetorno(enviar, c.arquivo), EDFeException);
      EXPECT_TRUE(Logs().ends_with(c.log)) << Logs();
    } else {
      worker->EntregarRetorno(enviar, c.arquivo);
      EXPECT_EQ(Logs(), "");
    }
  }
}

// When the ERP does not take the reply of a lot the service has taken, the failure stays but
// first says that the lot went through, with its protocol and the saved reply, so the office
// does not send it again; the ERP's own error follows.
TEST_F(TransmissorTest, DeliveredLotWhoseReplyTheErpRefused) {
  auto worker = Criar(TTipoProcesso::procEnvioXML);
  const fs::path salvo = home.path() / "Docs" / "240510120000-rec.xml";
  const std::string erroErp = "Erro ao enviar o retorno do envio para o Orvane.\r\r500 - Erro";
  struct Caso {
    const char* nome;
    std::string protocolo;
    std::optional<fs::path> arquivo;
    std::string mensagem;
  } casos[] = {
      {"with protocol", "1.2.202405.0000000000000000001", salvo,
       "O lote foi entregue (protocolo 1.2.202405.0000000000000000001), mas o retorno não foi "
       "recebido pelo Orvane. Não envie o lote novamente; o retorno foi salvo em: " +
           salvo.string() + "\r\r" + erroErp},
      {"reply without protocol", "", salvo,
       "O lote foi entregue, mas o retorno não foi recebido pelo Orvane. Não envie o lote "
       "novamente; o retorno foi salvo em: " +
           salvo.string() + "\r\r" + erroErp},
      {"reply not saved", "1.2.3", std::nullopt,
       "O lote foi entregue (protocolo 1.2.3), mas o retorno não foi recebido pelo Orvane. Não "
       "envie o lote novamente; o retorno não foi salvo.\r\r" +
           erroErp},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    try {
      worker->EntregarRetornoDoLote([&] { throw EDFeException(erroErp); }, c.arquivo, c.protocolo);
      ADD_FAILURE() << "the failure was swallowed";
    } catch (const EDFeException& e) {
      EXPECT_EQ(std::string(e.what()), c.mensagem);
    }
  }
  // Taken by the ERP: nothing is said.
  EXPECT_NO_THROW(worker->EntregarRetornoDoLote([] {}, salvo, "1.2.3"));
}

TEST_F(TransmissorTest, SavedFileOfACallIsTheOneWrittenSince) {
  const fs::path pasta = home.path() / "Docs";
  fs::create_directories(pasta);
  const auto escrever = [&](const std::string& nome, const std::string& texto) {
    std::ofstream(pasta / nome, std::ios::binary | std::ios::trunc) << texto;
  };
  escrever("antigo-rec.xml", "antes");
  escrever("eSocial-sit.xml", "antes");
  escrever("outro.xml", "antes");

  const TArquivosSalvos antes(pasta);
  EXPECT_EQ(antes.Novo("-rec.xml"), std::nullopt);  // nothing written since

  escrever("240510120000-rec.xml", "novo");
  escrever("240510120000-env-lot.xml", "novo");
  EXPECT_EQ(antes.Novo("-rec.xml"), pasta / "240510120000-rec.xml");

  // A file of a fixed name is found again when it was rewritten.
  fs::last_write_time(pasta / "eSocial-sit.xml",
                      fs::last_write_time(pasta / "eSocial-sit.xml") + std::chrono::seconds(1));
  EXPECT_EQ(antes.Novo("-sit.xml"), pasta / "eSocial-sit.xml");

  const TArquivosSalvos semPasta(home.path() / "nao-existe");
  EXPECT_EQ(semPasta.Novo("-rec.xml"), std::nullopt);
}

}  // namespace
}  // namespace luvaro
