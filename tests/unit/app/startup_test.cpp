#include "app/core/startup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/mensagem.h"
#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/app/recording_front.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

using test::RecordingFront;

// A worker that runs a given body with its context.
class ScriptedWorker final : public IWorker {
 public:
  ScriptedWorker(WorkerContext context, std::function<void(WorkerContext&)> body,
                 std::atomic<bool>& destroyed)
      : m_context(std::move(context)), m_body(std::move(body)), m_destroyed(destroyed) {}
  ~ScriptedWorker() override { m_destroyed = true; }
  void Execute() override { m_body(m_context); }

 private:
  WorkerContext m_context;
  std::function<void(WorkerContext&)> m_body;
  std::atomic<bool>& m_destroyed;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetExitCode(0);
    setenv("LUVARO_HOME", home.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("LUVARO_HOME"); }

  void Register(const std::string& tipo, std::function<void(WorkerContext&)> body) {
    workers.Registrar(tipo, [this, body](WorkerContext ctx) {
      ++created;
      contexts.push_back(ctx.Parametros);
      enderecos.push_back(ctx.Orvane);
      return std::make_unique<ScriptedWorker>(std::move(ctx), body, workerDestroyed);
    });
  }

  // Runs the program's start-up on this thread, as the headless front does; the exit code.
  int Run(std::vector<std::string> positions) {
    positions.insert(positions.begin(), "/opt/luvaro/Luvaro");
    MainThreadQueue loop;
    {
      Startup startup(positions, front, loop, update, workers);
      loop.Post([&] { startup.Iniciar(); });
      loop.Post([&] { startup.Iniciar(); });  // a second activation changes nothing
      loop.RunUntilTerminated();
      loop.Close();
    }
    return GetExitCode();
  }

  std::vector<std::string> DialogTexts() const {
    std::vector<std::string> texts;
    for (const auto& d : front.dialogs()) texts.push_back(d.request.text);
    return texts;
  }

  test::TempDir home{"luvaro-startup"};
  RecordingFront front;
  WorkerRegistry workers;
  UpdateStep update = NoUpdate;
  int created = 0;
  std::vector<TRecParametros> contexts;
  std::vector<TEnderecosOrvane> enderecos;
  std::atomic<bool> workerDestroyed{false};
};

const std::vector<std::string> kEnvio{"4.0.01-180629", "0", "http://erp/", "1", "1", "chave"};

TEST_F(StartupTest, MissingVersionEndsBeforeAnythingElse) {
  bool updateRan = false;
  update = [&](UpdateContext&) { updateRan = true; };
  EXPECT_EQ(Run({}), 1);
  EXPECT_FALSE(updateRan);
  EXPECT_EQ(front.statuses(), std::vector<std::string>{"Iniciando..."});
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{"Versão Orvane não informada."});
}

TEST_F(StartupTest, ParameterErrorIsOneDialogAndExitCodeOne) {
  Register("esocial", [](WorkerContext&) {});
  EXPECT_EQ(Run({"4.0.01-180629", "3"}), 1);
  EXPECT_EQ(front.statuses(),
            (std::vector<std::string>{"Iniciando...", "Setando os parametros..."}));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{
                               "Erro na leitura dos parâmetros.\r\rERRO: Processo inválido."});
  EXPECT_EQ(created, 0);
}

TEST_F(StartupTest, ProjectTypeWithoutWorkerIsAParameterError) {
  Register("esocial", [](WorkerContext&) {});
  std::vector<std::string> args = kEnvio;
  args.push_back("ESocial");
  EXPECT_EQ(Run(args), 1);
  EXPECT_EQ(DialogTexts(),
            std::vector<std::string>{
                "Erro na leitura dos parâmetros.\r\rERRO: Tipo de projeto inválido: ESocial"});
  EXPECT_EQ(created, 0);
}

TEST_F(StartupTest, WorkerRunsOnItsThreadWithItsCopyAndStatusReachesTheMainThread) {
  const std::thread::id main = std::this_thread::get_id();
  std::thread::id workerThread;
  bool reinfRan = false;
  Register("reinf", [&](WorkerContext&) { reinfRan = true; });
  Register("esocial", [&](WorkerContext& ctx) {
    workerThread = std::this_thread::get_id();
    ctx.AtualizarStatus("Configurando certificado...");
    ctx.AtualizarStatus("Buscando eventos...");
  });
  EXPECT_EQ(Run(kEnvio), 0);  // empty project type: the eSocial worker
  EXPECT_FALSE(reinfRan);
  EXPECT_NE(workerThread, main);
  EXPECT_TRUE(workerDestroyed);
  EXPECT_EQ(front.statuses(),
            (std::vector<std::string>{"Iniciando...", "Setando os parametros...",
                                      "Configurando certificado...", "Buscando eventos..."}));
  for (std::thread::id id : front.statusThreads()) EXPECT_EQ(id, main);
  ASSERT_EQ(contexts.size(), 1u);
  EXPECT_EQ(contexts[0].empresaKey, "chave");
  EXPECT_EQ(contexts[0].grupoESocial, 1);
  EXPECT_EQ(contexts[0].ambiente, 1);
  EXPECT_EQ(contexts[0].versaoOrvane, "4.0.01-180629");
  EXPECT_EQ(enderecos[0].UrlBuscaEventos, "http://erp/spring/esocial/lotes");
  EXPECT_TRUE(front.dialogs().empty());
}

TEST_F(StartupTest, WorkerExitCodesReachTheEnd) {
  struct Case {
    const char* name;
    std::function<void(WorkerContext&)> body;
    int expected;
    bool dialog;
  } cases[] = {
      {"job done", [](WorkerContext&) {}, 0, false},
      {"no certificate", [](WorkerContext&) { SetExitCode(2); }, 2, false},
      {"failure message with stop flag",
       [](WorkerContext& ctx) {
         SetExitCode(1);
         TMensagem::mostrarMsgErro(ctx.Front, ctx.Loop, "Erro durante a execução: ", true);
         ctx.AtualizarStatus("não deveria aparecer");
       },
       1, true},
      {"escaped exception", [](WorkerContext&) { throw EDFeException("quebrou"); }, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetExitCode(0);
    front.Clear();
    workers = {};
    Register("esocial", c.body);
    EXPECT_EQ(Run(kEnvio), c.expected);
    EXPECT_EQ(front.dialogs().size(), c.dialog ? 1u : 0u);
    for (const std::string& s : front.statuses()) EXPECT_NE(s, "não deveria aparecer");
  }
}

TEST_F(StartupTest, EscapedWorkerExceptionIsLoggedAndShown) {
  fs::create_directory(home / "Logs");
  Register("esocial", [](WorkerContext&) { throw EDFeException("quebrou"); });
  EXPECT_EQ(Run(kEnvio), 1);
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{"Erro durante a execução: \r\rERRO: quebrou"});
  std::string log;
  for (const auto& entry : fs::directory_iterator(home / "Logs")) log += test::ReadFile(entry);
  EXPECT_NE(log.find(" - Inicio Applicação com os parametros: /opt/luvaro/Luvaro  "
                     "4.0.01-180629  0  http://erp/  1  1  chave    \r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" - ERROR: quebrou\r\n"), std::string::npos) << log;
}

// A worker that cannot be made is a failure of the run like any other: its dialog, its log line
// and exit code 1.
TEST_F(StartupTest, WorkerThatCannotBeMadeIsLoggedAndShown) {
  fs::create_directory(home / "Logs");
  workers.Registrar("esocial", [](WorkerContext) -> std::unique_ptr<IWorker> {
    throw EDFeException("sem componente");
  });
  EXPECT_EQ(Run(kEnvio), 1);
  EXPECT_EQ(DialogTexts(),
            std::vector<std::string>{"Erro durante a execução: \r\rERRO: sem componente"});
  std::string log;
  for (const auto& entry : fs::directory_iterator(home / "Logs")) log += test::ReadFile(entry);
  EXPECT_NE(log.find(" - ERROR: sem componente\r\n"), std::string::npos) << log;
}

TEST_F(StartupTest, UnwritableLogIsAParameterError) {
  Register("esocial", [](WorkerContext&) {});
  // Today's and tomorrow's file names taken by folders, so the run cannot straddle midnight.
  for (int days : {0, 1}) {
    const std::time_t t = std::time(nullptr) + days * 86400;
    std::tm local{};
    localtime_r(&t, &local);
    char name[32];
    std::strftime(name, sizeof name, "log_%d_%m_%Y.txt", &local);
    fs::create_directories(home / "Logs" / name);
  }
  EXPECT_EQ(Run(kEnvio), 1);
  EXPECT_EQ(created, 0);
  const auto texts = DialogTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].starts_with("Erro na leitura dos parâmetros.\r\rERRO: Erro de E/S"))
      << texts[0];
}

TEST_F(StartupTest, UpdateStepVerdicts) {
  struct Case {
    const char* name;
    UpdateStep step;
    int expected;
    bool workerRuns;
  } cases[] = {
      {"no update", NoUpdate, 0, true},
      {"stop", [](UpdateContext& u) { u.TerminateProgram = true; }, 1, false},
      {"stop wins over install",
       [](UpdateContext& u) {
         u.TerminateProgram = true;
         u.IsAtualizar = true;
       },
       1, false},
      {"failure goes on without update", [](UpdateContext&) { throw EDFeException("sem rede"); }, 0,
       true},
      {"message and status",
       [](UpdateContext& u) {
         u.AtualizarStatus("Verificando atualização...");
         TMensagem::mostrarMsgErro(u.Front, u.Loop, "Erro ao consultar versao Atualização.", false);
       },
       0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetExitCode(0);
    front.Clear();
    workers = {};
    created = 0;
    Register("esocial", [](WorkerContext&) {});
    update = c.step;
    EXPECT_EQ(Run(kEnvio), c.expected);
    EXPECT_EQ(created, c.workerRuns ? 1 : 0);
  }
  const auto statuses = front.statuses();
  EXPECT_EQ(statuses, (std::vector<std::string>{"Iniciando...", "Verificando atualização...",
                                                "Setando os parametros..."}));
}

TEST_F(StartupTest, UpdateStepReceivesTheInstalledVersion) {
  std::string seen;
  update = [&](UpdateContext& u) { seen = u.VersaoOrvaneInstalada; };
  Register("esocial", [](WorkerContext&) {});
  Run(kEnvio);
  EXPECT_EQ(seen, "4.0.01-180629");
}

TEST_F(StartupTest, InstallWithoutInstallerIsReportedAndEnds) {
  update = [](UpdateContext& u) { u.IsAtualizar = true; };
  Register("esocial", [](WorkerContext&) {});
  EXPECT_EQ(Run(kEnvio), 1);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(front.statuses().back(), "Atualizando aplicativo...");
  const auto texts = DialogTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].starts_with("Não foi possível iniciar a atualização.\r\rERRO: "));
  EXPECT_FALSE(fs::exists(home / "Luvaro.param"));
}

// The downloaded installer is renamed into place and started; when its process ends without
// ending this program, the wait is not endless: after the given time the run ends with exit
// code 1 and the message that names the installer's exit code.
TEST_F(StartupTest, InstallerThatEndsWithoutEndingTheProgram) {
  Register("esocial", [](WorkerContext&) {});
  for (const int codigo : {0, 3}) {
    SCOPED_TRACE(codigo);
    SetExitCode(0);
    front.Clear();
    const fs::path baixado = home / ("Luvaro-install." + std::to_string(codigo));
    test::WriteFile(baixado, "echo \"$@\" > \"$(dirname \"$0\")/argumentos.txt\"\nexit " +
                                 std::to_string(codigo) + "\n");
    update = [&](UpdateContext& u) {
      u.IsAtualizar = true;
      u.Instalador = baixado;
      u.EsperaInstalador = std::chrono::milliseconds(50);
    };
    EXPECT_EQ(Run(kEnvio), 1);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(front.statuses().back(), "Atualizando aplicativo...");
    EXPECT_EQ(DialogTexts(),
              std::vector<std::string>{
                  "A atualização do Luvaro não foi concluída.\r\rERRO: O instalador terminou sem "
                  "concluir a atualização (código " +
                  std::to_string(codigo) + "). Execute o processo novamente pelo Orvane."});
    EXPECT_FALSE(fs::exists(baixado));
    EXPECT_TRUE(
        test::ReadFile(home / "Luvaro-install").ends_with("exit " + std::to_string(codigo) + "\n"));
    EXPECT_EQ(test::ReadFile(home / "argumentos.txt"), "/SILENT\n");
    EXPECT_TRUE(fs::exists(home / "Luvaro.param"));
  }
}

// A parameter file that cannot be written whole stops the update with its name; nothing starts.
TEST_F(StartupTest, UnwritableParameterFileStopsTheUpdate) {
  test::WriteFile(home / "Luvaro-install", "touch \"$(dirname \"$0\")/iniciado\"\n");
  fs::create_symlink("/dev/full", home / "Luvaro.param");
  update = [](UpdateContext& u) { u.IsAtualizar = true; };
  Register("esocial", [](WorkerContext&) {});
  EXPECT_EQ(Run(kEnvio), 1);
  const auto texts = DialogTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(
      texts[0].starts_with("Não foi possível iniciar a atualização.\r\rERRO: Não foi "
                           "possível gravar o arquivo: " +
                           (home / "Luvaro.param").string()))
      << texts[0];
  EXPECT_FALSE(fs::exists(home / "iniciado"));
}

}  // namespace
}  // namespace luvaro
