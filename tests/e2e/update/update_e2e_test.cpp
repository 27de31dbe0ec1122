// The update check of the real executable in headless mode, against luvaro-sim's update role:
// each way a run can go on, stop or install, told on standard error, in the exit code, the
// files of the application folder and what the server received.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "tests/support/process.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;
const fs::path kSim = LUVARO_SIM_PATH;

const std::string kInicio = "Iniciando...\nVerificando atualização...\n";
// The job step: the command line is read and names a project type that has no worker.
const std::string kJob =
    "Setando os parametros...\n"
    "Erro: Erro na leitura dos parâmetros.\n\nERRO: Tipo de projeto inválido: nenhum\n";
const std::string kErroConsulta = "Erro: Erro ao consultar versao Atualização.\n\nERRO: ";
const std::string kAviso =
    "Atenção: ATENÇÃO!!\n\n"
    "Atualização disponível, alguns anti-vírus estão bloqueando a atualização por engano.\n"
    "Por favor DESABILITE o anti-virus antes de continuar.\n";

std::vector<std::string> JobArgs(const std::string& versaoOrvane) {
  return {versaoOrvane, "0", "http://127.0.0.1:9/", "1", "0", "chave", "nenhum"};
}

// An installer that records how it was started, then ends the waiting program as a real one
// does once it is ready.
const std::string kInstalador =
    "pasta=$(dirname \"$0\")\n"
    "printf '%s\\n' \"$@\" > \"$pasta/argumentos.txt\"\n"
    "echo \"$LUVARO_PID\" > \"$pasta/pid.txt\"\n"
    "kill -TERM \"$LUVARO_PID\"\n";

// An installer left by an earlier run; it must never be started again.
const std::string kInstaladorAntigo = "touch \"$(dirname \"$0\")/antigo-iniciado.txt\"\n";

// The percentages of the "Baixando atualização N% ..." lines, in order.
std::vector<int> ProgressOf(const std::string& err) {
  static const std::regex line("^Baixando atualização ([0-9]+)% \\.\\.\\.$");
  std::vector<int> values;
  std::size_t start = 0;
  while (start < err.size()) {
    std::size_t end = err.find('\n', start);
    if (end == std::string::npos) end = err.size();
    std::smatch m;
    const std::string text = err.substr(start, end - start);
    if (std::regex_match(text, m, line)) values.push_back(std::stoi(m[1]));
    start = end + 1;
  }
  return values;
}

// How many times `part` occurs in `text`.
int Count(const std::string& text, std::string_view part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<std::string> Files(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class UpdateE2E : public ::testing::Test {
 protected:
  UpdateE2E() { fs::create_directory(home / "Logs"); }

  ProcessOptions Options(std::vector<std::string> args, std::optional<std::string> server) const {
    ProcessOptions options;
    options.args = std::move(args);
    options.env["LUVARO_HEADLESS"] = "1";
    options.env["LUVARO_HOME"] = home.path().string();
    if (server)
      options.env["LUVARO_ATUALIZACAO_URL"] = *server;
    else
      options.unsetEnv.push_back("LUVARO_ATUALIZACAO_URL");
    return options;
  }

  ProcessResult Run(std::vector<std::string> args, std::optional<std::string> server) const {
    return RunProcess(kExe, Options(std::move(args), std::move(server)));
  }

  std::string Logs() const {
    std::string all;
    for (const auto& entry : fs::directory_iterator(home / "Logs")) all += ReadFile(entry);
    return all;
  }

  std::vector<std::string> Endpoints(const SimProcess& sim) const {
    std::vector<std::string> endpoints;
    for (const RecordedRequest& r : sim.Requests()) endpoints.push_back(r.endpoint);
    return endpoints;
  }

  TempDir home{"luvaro-e2e-update"};
};

TEST_F(UpdateE2E, OutcomesWithoutDownload) {
  const std::string versaoOk = "4.0.01-180629";
  struct Case {
    const char* name;
    std::vector<std::string> simArgs;
    std::string faults;
    std::string versaoInstalada;
    std::string expectedErr;
  } cases[] = {
      {"no update: the job runs", {}, "", versaoOk, kInicio + kJob},
      {"ERP one below the minimum, even with no update",
       {},
       "",
       "4.0.01-180628",
       kInicio +
           "Erro: O Luvaro está disponível somente a partir da versao 4.0.01-180629 do Orvane.\n"
           "Por favor, efetue e atualização do Orvane para utilizá-lo.\n"
           "Operação cancelada!\n"},
      {"new version needing a newer ERP",
       {"--versao", "1.15", "--versao-orvane", "4.0.02-190101"},
       "",
       versaoOk,
       kInicio +
           "Erro: Existe uma nova versão do Luvaro,  porém é necessário atualizar o Orvane para "
           "utilizá-la. \nPor favor efetue a atualização do Orvane no servidor.\n"
           "Operação cancelada!\n"},
      {"installed ERP version without digits: no message, the job runs",
       {"--versao", "1.15"},
       "",
       "sem-numero",
       kInicio + kJob},
      {"malformed JSON: the job runs",
       {},
       "body=not-json",
       versaoOk,
       kInicio + kErroConsulta + "A resposta do servidor de atualização não é um JSON válido.\n" +
           kJob},
      {"missing separator: the job runs",
       {"--versao", "1.15"},
       "body=no-separator",
       versaoOk,
       kInicio + kErroConsulta +
           "O membro \"informacaoComplementar\" não traz a versão do Orvane e o endereço do "
           "instalador separados por \";\".\n" +
           kJob},
      {"server error: the job runs",
       {},
       "status=500",
       versaoOk,
       kInicio + kErroConsulta + "500 - Internal Server Error\n" + kJob},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimProcess sim(kSim, "update", c.simArgs);
    sim.SetFaults(c.faults);
    const ProcessResult r = Run(JobArgs(c.versaoInstalada), sim.BaseUrl());
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);  // the stop, or the job's parameter error
    EXPECT_EQ(r.err, c.expectedErr);
    EXPECT_EQ(Endpoints(sim), std::vector<std::string>{"versao"});
    EXPECT_EQ(Files(home.path()), std::vector<std::string>{});  // no installer, no Luvaro.param
  }
}

TEST_F(UpdateE2E, UnreachableServerIsReportedAndTheJobRuns) {
  std::string gone;
  {
    SimProcess stopped(kSim, "update", {});
    gone = stopped.BaseUrl();
  }  // nobody listens there any longer
  struct Case {
    const char* name;
    std::optional<std::string> server;  // none: the built-in server, out of reach here
  } cases[] = {{"loopback port without a server", gone}, {"built-in server", std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProcessResult r = Run(JobArgs("4.0.01-180629"), c.server);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with(kInicio + kErroConsulta)) << r.err;
    EXPECT_TRUE(r.err.ends_with(kJob)) << r.err;
  }
}

TEST_F(UpdateE2E, UpdateAvailableDownloadsAndStartsTheInstaller) {
  WriteFile(home / "fonte" / "Luvaro-install", kInstalador + std::string(64 * 1024, '#') + "\n");
  struct Case {
    const char* name;
    std::string faults;
    bool sizeAnnounced;
  } cases[] = {
      {"size announced", "body=slow\nonly=instalador", true},
      {"no size announced", "body=slow-no-length\nonly=instalador", false},
  };
  const std::vector<std::string> args{
      "4.0.01-180629", "1", "http://127.0.0.1:9/", "1.2.3", "0", "chave com espaço", "nenhum"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"Luvaro.param", "argumentos.txt", "pid.txt"}) fs::remove(home / name);
    WriteFile(home / "Luvaro-install", kInstaladorAntigo);
    SimProcess sim(
        kSim, "update",
        {"--versao", "1.15", "--instalador", (home / "fonte" / "Luvaro-install").string()});
    sim.SetFaults(c.faults);

    BackgroundProcess luvaro(kExe, Options(args, sim.BaseUrl()));
    const int pid = luvaro.pid();
    const ProcessResult r = luvaro.Wait();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 0);  // the exit code when the installer ended the program

    EXPECT_TRUE(r.err.starts_with(kInicio + kAviso + "Baixando atualização 0% ...\n")) << r.err;
    EXPECT_TRUE(r.err.ends_with("Baixando atualização 100% ...\nAtualizando aplicativo...\n"))
        << r.err;
    const std::vector<int> progress = ProgressOf(r.err);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    if (c.sizeAnnounced) {
      EXPECT_TRUE(
          std::any_of(progress.begin(), progress.end(), [](int p) { return p > 0 && p < 100; }));
    } else {
      EXPECT_TRUE(std::all_of(progress.begin(), progress.end() - 1, [](int p) { return p == 0; }));
    }

    std::string param = fs::canonical(kExe).string() + "\r\n";
    for (const std::string& a : args) param += a + "\r\n";
    EXPECT_EQ(ReadFile(home / "Luvaro.param"), param);
    EXPECT_EQ(ReadFile(home / "Luvaro-install"), ReadFile(home / "fonte" / "Luvaro-install"));
    EXPECT_EQ(ReadFile(home / "argumentos.txt"), "/SILENT\n");
    EXPECT_EQ(ReadFile(home / "pid.txt"), std::to_string(pid) + "\n");
    EXPECT_FALSE(fs::exists(home / "antigo-iniciado.txt"));
    // The download, kept under a name of the process, was renamed into place.
    EXPECT_EQ(Files(home.path()), (std::vector<std::string>{"Luvaro-install", "Luvaro.param",
                                                            "argumentos.txt", "pid.txt"}));
    EXPECT_EQ(Endpoints(sim), (std::vector<std::string>{"versao", "instalador"}));
    EXPECT_NE(
        Logs().find(" - Atualização baixada de " + sim.BaseUrl() + "instalador/Luvaro-install\r\n"),
        std::string::npos)
        << Logs();
  }
}

// An installer whose process ends without ending the program: the wait is not endless. After
// the wait (shortened here) the run ends with exit code 1 and the message naming the
// installer's exit code.
TEST_F(UpdateE2E, InstallerThatEndsWithoutEndingTheProgram) {
  for (const int codigo : {0, 3}) {
    SCOPED_TRACE(codigo);
    WriteFile(home / "fonte" / "Luvaro-install",
              "echo iniciado > \"$(dirname \"$0\")/iniciado.txt\"\nexit " + std::to_string(codigo) +
                  "\n");
    fs::remove(home / "iniciado.txt");
    SimProcess sim(
        kSim, "update",
        {"--versao", "1.15", "--instalador", (home / "fonte" / "Luvaro-install").string()});
    ProcessOptions options = Options(JobArgs("4.0.01-180629"), sim.BaseUrl());
    options.env["LUVARO_ESPERA_INSTALADOR_MS"] = "300";
    const ProcessResult r = RunProcess(kExe, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.ends_with(
        "Baixando atualização 100% ...\nAtualizando aplicativo...\n"
        "Erro: A atualização do Luvaro não foi concluída.\n\nERRO: O instalador terminou sem "
        "concluir a atualização (código " +
        std::to_string(codigo) + "). Execute o processo novamente pelo Orvane.\n"))
        << r.err;
    EXPECT_EQ(ReadFile(home / "iniciado.txt"), "iniciado\n");
    EXPECT_NE(Logs().find(" - ERROR: A atualização do Luvaro não foi concluída. O instalador "
                          "terminou sem concluir a atualização (código " +
                          std::to_string(codigo) + ")"),
              std::string::npos)
        << Logs();
  }
}

// Two instances update at once against a slow server: each downloads under a name of its own
// and renames it into place only when it starts it, so each runs a whole installer (a cut one
// would never reach its last line, which ends the program), and no download is left behind.
TEST_F(UpdateE2E, TwoInstancesUpdatingAtOnce) {
  const std::string instalador =
      "pasta=$(dirname \"$0\")\n"
      "echo \"$LUVARO_PID\" >> \"$pasta/pids.txt\"\n" +
      std::string(64 * 1024, '#') + "\nkill -TERM \"$LUVARO_PID\"\n";
  WriteFile(home / "fonte" / "Luvaro-install", instalador);
  SimProcess sim(kSim, "update",
                 {"--versao", "1.15", "--instalador", (home / "fonte" / "Luvaro-install").string(),
                  "--body", "slow", "--only", "instalador"});
  ProcessOptions options = Options(JobArgs("4.0.01-180629"), sim.BaseUrl());
  options.env["LUVARO_ESPERA_INSTALADOR_MS"] = "5000";
  BackgroundProcess primeiro(kExe, options);
  BackgroundProcess segundo(kExe, options);
  const std::set<std::string> pids = {std::to_string(primeiro.pid()),
                                      std::to_string(segundo.pid())};
  for (BackgroundProcess* p : {&primeiro, &segundo}) {
    const ProcessResult r = p->Wait();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.err.ends_with("Atualizando aplicativo...\n")) << r.err;
  }
  std::set<std::string> iniciados;
  std::istringstream linhas(ReadFile(home / "pids.txt"));
  for (std::string linha; std::getline(linhas, linha);) iniciados.insert(linha);
  EXPECT_EQ(iniciados, pids);
  EXPECT_EQ(ReadFile(home / "Luvaro-install"), instalador);
  EXPECT_EQ(Files(home.path()),
            (std::vector<std::string>{"Luvaro-install", "Luvaro.param", "pids.txt"}));
}

// Downloads left by runs that were killed are removed before a new download; the download of a
// running instance stays.
TEST_F(UpdateE2E, DownloadsOfEndedRunsAreRemoved) {
  BackgroundProcess encerrado("/bin/true", {});
  encerrado.Wait();
  const std::string morto = std::to_string(encerrado.pid());
  const std::string vivo = std::to_string(getpid());
  WriteFile(home / ("Luvaro-install." + morto + ".0123456789abcdef.parcial"), "metade");
  WriteFile(home / ("Luvaro-install." + morto), "completo, nunca iniciado");
  WriteFile(home / ("Luvaro-install." + vivo + ".fedcba9876543210.parcial"), "em curso");
  WriteFile(home / "fonte" / "Luvaro-install", kInstalador);
  SimProcess sim(
      kSim, "update",
      {"--versao", "1.15", "--instalador", (home / "fonte" / "Luvaro-install").string()});
  const ProcessResult r = Run(JobArgs("4.0.01-180629"), sim.BaseUrl());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Files(home.path()),
            (std::vector<std::string>{"Luvaro-install",
                                      "Luvaro-install." + vivo + ".fedcba9876543210.parcial",
                                      "Luvaro.param", "argumentos.txt", "pid.txt"}));
  EXPECT_NE(Logs().find(" - Download abandonado do instalador removido: " +
                        (home / ("Luvaro-install." + morto)).string() + "\r\n"),
            std::string::npos)
      << Logs();
}

// The update channel over HTTPS: the server's identity checked against cadeias/, an installer
// address that would leave HTTPS refused before any download, and the digest the answer states
// checked before the installer is started. Whatever is refused is logged and the job runs.
TEST_F(UpdateE2E, ChannelOverHttps) {
  const TestToken& token = TestToken::Shared();
  const fs::path fonte = home / "fonte" / "Luvaro-install";
  WriteFile(fonte, kInstalador);
  const std::string naoVerificado = "ATENÇÃO: identidade do servidor 127.0.0.1 não verificada.";
  struct Case {
    const char* name;
    std::vector<std::string> simArgs;  // besides the version, the installer and HTTPS
    bool testCaTrusted;                // the test CA in cadeias/
    std::map<std::string, std::string> env;
    bool started;  // the installer was started (it ends the program with exit code 0)
    std::vector<std::string> endpoints;
    std::string log;  // part of the log ("" when nothing is looked for)
  } cases[] = {
      {"answer of two fields, as before", {}, true, {}, true, {"versao", "instalador"}, ""},
      {"right digest", {"--resumo", "auto"}, true, {}, true, {"versao", "instalador"}, ""},
      {"wrong digest",
       {"--resumo", "sha256:" + std::string(64, '0')},
       true,
       {},
       false,
       {"versao", "instalador"},
       "/instalador/Luvaro-install não confere com o resumo informado (SHA-256 esperado " +
           std::string(64, '0') + ", obtido "},
      {"digest that is none",
       {"--resumo", "md5:0123"},
       true,
       {},
       false,
       {"versao"},
       " - Atualização não instalada: O resumo do instalador \"md5:0123\" não é \"sha256:\" "
       "seguido de 64 dígitos hexadecimais.\r\n"},
      {"installer address over plain HTTP",
       {"--link", "http://127.0.0.1:9/instalador/Luvaro-install"},
       true,
       {},
       false,
       {"versao"},
       " - Atualização não instalada: o endereço do instalador "
       "http://127.0.0.1:9/instalador/Luvaro-install não usa HTTPS, como a consulta de "
       "versão.\r\n"},
      {"server of an authority not in cadeias/", {}, false, {}, false, {}, ""},
      {"check off",
       {},
       false,
       {{"LUVARO_VERIFICAR_SERVIDOR", "0"}},
       true,
       {"versao", "instalador"},
       " - " + naoVerificado + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"Luvaro-install", "Luvaro.param", "argumentos.txt", "pid.txt"})
      fs::remove(home / name);
    fs::remove_all(home / "cadeias");
    if (c.testCaTrusted) token.TrustTestCa(home.path());
    for (const auto& entry : fs::directory_iterator(home / "Logs")) fs::remove(entry);
    std::vector<std::string> simArgs{"--versao",     "1.15",
                                     "--instalador", fonte.string(),
                                     "--cert",       token.ServerPem().string(),
                                     "--key",        token.ServerKeyPem().string()};
    simArgs.insert(simArgs.end(), c.simArgs.begin(), c.simArgs.end());
    SimProcess sim(kSim, "update", simArgs);
    ASSERT_TRUE(sim.BaseUrl().starts_with("https://")) << sim.BaseUrl();

    ProcessOptions options = Options(JobArgs("4.0.01-180629"), sim.BaseUrl());
    for (const auto& [name, value] : c.env) options.env[name] = value;
    const ProcessResult r = RunProcess(kExe, options);
    EXPECT_FALSE(r.timedOut);
    const std::string log = Logs();
    EXPECT_EQ(Endpoints(sim), c.endpoints);
    if (c.started) {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_TRUE(r.err.ends_with("Atualizando aplicativo...\n")) << r.err;
      EXPECT_EQ(ReadFile(home / "argumentos.txt"), "/SILENT\n");
      EXPECT_EQ(ReadFile(home / "Luvaro-install"), kInstalador);
      EXPECT_NE(
          log.find(" - Atualização baixada de " + sim.BaseUrl() + "instalador/Luvaro-install\r\n"),
          std::string::npos)
          << log;
    } else {
      EXPECT_EQ(r.exitCode, 1);  // the job's parameter error: the run went on
      EXPECT_TRUE(r.err.ends_with(kJob)) << r.err;
      EXPECT_FALSE(fs::exists(home / "argumentos.txt"));
      EXPECT_EQ(Files(home.path()), std::vector<std::string>{});  // nothing kept, nothing run
    }
    if (!c.log.empty()) {
      EXPECT_NE(log.find(c.log), std::string::npos) << log;
    }
    // Each request to a server left unchecked says so; a checked one never does.
    EXPECT_EQ(Count(log, naoVerificado), c.env.empty() ? 0 : 2) << log;
  }
  // The refused authority, told as the failed query it is.
  fs::remove_all(home / "cadeias");
  SimProcess sim(kSim, "update",
                 {"--versao", "1.15", "--cert", token.ServerPem().string(), "--key",
                  token.ServerKeyPem().string()});
  const ProcessResult r = Run(JobArgs("4.0.01-180629"), sim.BaseUrl());
  EXPECT_EQ(r.err, kInicio + kErroConsulta +
                       "Não foi possível confirmar a identidade do servidor 127.0.0.1: o "
                       "certificado do servidor não foi emitido por uma autoridade confiável.\n" +
                       kJob);
}

TEST_F(UpdateE2E, FailedDownloadStartsNothingAndTheJobRuns) {
  WriteFile(home / "fonte" / "Luvaro-install", kInstalador + std::string(64 * 1024, '#') + "\n");
  struct Case {
    const char* name;
    std::string faults;
    std::string expectedLog;  // part of the log's line
  } cases[] = {
      {"cut short with size announced", "close-mid-reply\nonly=instalador", "transfer closed"},
      {"cut short without size", "body=chunked-cut-short\nonly=instalador", ""},
      {"installer missing", "status=404\nonly=instalador", "O servidor respondeu 404 - Not Found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(home / "Luvaro-install", kInstaladorAntigo);
    SimProcess sim(
        kSim, "update",
        {"--versao", "1.15", "--instalador", (home / "fonte" / "Luvaro-install").string()});
    sim.SetFaults(c.faults);
    const ProcessResult r = Run(JobArgs("4.0.01-180629"), sim.BaseUrl());
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);  // the job's parameter error
    EXPECT_TRUE(r.err.starts_with(kInicio + kAviso + "Baixando atualização 0% ...\n")) << r.err;
    EXPECT_TRUE(r.err.ends_with("% ...\n" + kJob)) << r.err;
    EXPECT_EQ(r.err.find("100% ..."), std::string::npos) << r.err;

    // No partial download is left; the installer already in place is left alone (another
    // instance may be about to start it), and nothing was started.
    EXPECT_EQ(Files(home.path()), std::vector<std::string>{"Luvaro-install"});
    EXPECT_EQ(ReadFile(home / "Luvaro-install"), kInstaladorAntigo);
    EXPECT_FALSE(fs::exists(home / "antigo-iniciado.txt"));
    const std::string log = Logs();
    const std::string line = " - Atualização não instalada: falha ao baixar o instalador de " +
                             sim.BaseUrl() + "instalador/Luvaro-install: ";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_NE(log.find(c.expectedLog, log.find(line)), std::string::npos) << log;
    EXPECT_EQ(Endpoints(sim), (std::vector<std::string>{"versao", "instalador"}));
  }
}

// A program installed by a system package (the package's mark beside a copy of the executable)
// never downloads or starts an installer: a newer version is written to the log, in the user's
// folder, and the job runs with this one; an ERP below this program's minimum still stops it.
TEST_F(UpdateE2E, InstalledBySystemPackageOnlyLogsNewerVersions) {
  const fs::path programa = home / "opt" / "luvaro";
  fs::create_directories(programa);
  fs::copy_file(kExe, programa / "Luvaro");
  WriteFile(programa / "instalado-por-pacote", "marca\n");
  const fs::path usuario = home / "dados" / "luvaro";
  fs::create_directories(usuario / "Logs");
  WriteFile(home / "fonte" / "Luvaro-install", kInstalador);
  const std::string pacote =
      " O programa foi instalado por um pacote do sistema e é atualizado pelo gerenciador de "
      "pacotes; a execução segue sem atualização.\r\n";

  struct Case {
    const char* name;
    std::vector<std::string> simArgs;  // besides the installer
    std::string versaoInstalada;
    bool luvaroHome;  // LUVARO_HOME names the folder instead of XDG_DATA_HOME
    std::string expectedErr;
    std::string log;  // the log line after the time stamp ("" when none is looked for)
  } cases[] = {
      {"newer version",
       {"--versao", "1.15"},
       "4.0.01-180629",
       false,
       kInicio + kJob,
       " - Nova versão do Luvaro disponível: 1.15 (em uso: 1.14)." + pacote},
      {"newer version needing a newer ERP",
       {"--versao", "1.15", "--versao-orvane", "4.0.02-190101"},
       "4.0.01-180629",
       false,
       kInicio + kJob,
       " - Nova versão do Luvaro disponível: 1.15 (em uso: 1.14). Ela requer o Orvane "
       "4.0.02-190101 ou posterior." +
           pacote},
      {"newer version, folder from LUVARO_HOME",
       {"--versao", "1.15"},
       "4.0.01-180629",
       true,
       kInicio + kJob,
       " - Nova versão do Luvaro disponível: 1.15 (em uso: 1.14)." + pacote},
      {"ERP below the minimum still stops the run",
       {"--versao", "1.15"},
       "4.0.01-180628",
       false,
       kInicio +
           "Erro: O Luvaro está disponível somente a partir da versao 4.0.01-180629 do Orvane.\n"
           "Por favor, efetue e atualização do Orvane para utilizá-lo.\n"
           "Operação cancelada!\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(usuario / "Logs")) fs::remove(entry);
    std::vector<std::string> simArgs{"--instalador", (home / "fonte" / "Luvaro-install").string()};
    simArgs.insert(simArgs.end(), c.simArgs.begin(), c.simArgs.end());
    SimProcess sim(kSim, "update", simArgs);

    ProcessOptions options = Options(JobArgs(c.versaoInstalada), sim.BaseUrl());
    options.env["XDG_DATA_HOME"] = (home / "dados").string();
    if (c.luvaroHome) {
      options.env["LUVARO_HOME"] = usuario.string();
    } else {
      options.env.erase("LUVARO_HOME");
      options.unsetEnv.push_back("LUVARO_HOME");
    }
    const ProcessResult r = RunProcess(programa / "Luvaro", options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);  // the stop, or the job's parameter error
    EXPECT_EQ(r.err, c.expectedErr);
    EXPECT_EQ(Endpoints(sim), std::vector<std::string>{"versao"});  // no download
    // Nothing kept or started in either folder.
    EXPECT_EQ(Files(usuario), std::vector<std::string>{});
    EXPECT_EQ(Files(programa), (std::vector<std::string>{"Luvaro", "instalado-por-pacote"}));
    EXPECT_FALSE(fs::exists(home / "argumentos.txt"));
    std::string log;
    for (const auto& entry : fs::directory_iterator(usuario / "Logs")) log += ReadFile(entry);
    if (!c.log.empty()) {
      EXPECT_NE(log.find(c.log), std::string::npos) << log;
    } else {
      EXPECT_EQ(log.find("Nova versão"), std::string::npos) << log;
    }
  }
}

}  // namespace
}  // namespace luvaro::test
