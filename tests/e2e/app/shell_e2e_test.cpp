// The executable from the outside: command lines, exit codes, standard error, log and
// parameter files, and two instances side by side.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <stdexcept>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/loopback_port.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;
const fs::path kHost = LUVARO_HOST_EXE;

// A loopback port that refuses connections: bound, never listening, held for the test's length.
class RefusingPort {
 public:
  RefusingPort() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot bind a loopback port");
    m_port = ntohs(address.sin_port);
  }
  ~RefusingPort() { close(m_fd); }
  RefusingPort(const RefusingPort&) = delete;  // one owner closes the socket
  RefusingPort& operator=(const RefusingPort&) = delete;
  int port() const { return m_port; }

 private:
  int m_fd;
  int m_port = 0;
};

// The shared libraries a running process has mapped, one path per line.
std::string MappedLibraries(pid_t pid) {
  return ReadFile(fs::path("/proc") / std::to_string(pid) / "maps");
}

// GUI libraries: Qt, the X11/xcb and GL stacks, and the part of ICU only Qt uses (libxml2
// itself needs ICU's common library, so that one is mapped by every run).
const std::vector<std::string> kGuiLibraries = {
    "libQt6",    "libX11",     "libxcb",        "libGL",       "libEGL",
    "libOpenGL", "libicui18n", "libfontconfig", "libfreetype", "luvaro-qt.so"};

class ShellE2E : public ::testing::Test {
 protected:
  ProcessResult Run(const fs::path& exe, std::vector<std::string> args,
                    std::map<std::string, std::string> env = {}) {
    ProcessOptions options;
    options.args = std::move(args);
    options.env = std::move(env);
    options.env["LUVARO_HEADLESS"] = "1";
    options.env["LUVARO_HOME"] = home.path().string();
    // The real program asks its update server first; here the question fails at once and the
    // run goes on, as it does without a network.
    options.env["LUVARO_ATUALIZACAO_URL"] = "http://127.0.0.1:" + std::to_string(update.port());
    return RunProcess(exe, options);
  }

  std::string Logs() const {
    std::string all;
    if (fs::is_directory(home / "Logs"))
      for (const auto& entry : fs::directory_iterator(home / "Logs")) all += ReadFile(entry);
    return all;
  }

  TempDir home{"luvaro-e2e-shell"};
  RefusingPort update;
};

// At its first request (the update query) a headless run has mapped no GUI library; a run with
// a display has loaded the window module and Qt by then. The maps are read while the program
// waits on the answer.
TEST_F(ShellE2E, OnlyARunWithAWindowMapsTheGuiLibraries) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    bool window;
  };
  const Case cases[] = {
      {"headless", {{"LUVARO_HEADLESS", "1"}}, false},
      {"no display", {}, false},
#ifdef LUVARO_WINDOW_MODULE
      {"window", {{"QT_QPA_PLATFORM", "offscreen"}}, true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListeningPort silent;  // takes the update query and never answers it
    ProcessOptions options;
    options.args = {"v", "0", "http://erp/", "1", "0", "k", "esocial"};
    options.env = c.env;
    options.env["LUVARO_HOME"] = home.path().string();
    options.env["LUVARO_ATUALIZACAO_URL"] = silent.Url();
    options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
    if (!c.env.contains("LUVARO_HEADLESS")) options.unsetEnv.push_back("LUVARO_HEADLESS");
    if (!c.env.contains("QT_QPA_PLATFORM")) options.unsetEnv.push_back("QT_QPA_PLATFORM");
    BackgroundProcess luvaro(kExe, options);
    const int client = silent.Accept(std::chrono::seconds(30));
    ASSERT_GE(client, 0) << luvaro.StdErr();
    const std::string maps = MappedLibraries(luvaro.pid());
    EXPECT_NE(maps.find("libcurl"), std::string::npos) << "the maps were read";
    for (const std::string& library : kGuiLibraries) {
      SCOPED_TRACE(library);
      if (library == "libQt6" || library == "luvaro-qt.so") {
        EXPECT_EQ(maps.find(library) != std::string::npos, c.window);
      } else if (!c.window) {
        EXPECT_EQ(maps.find(library), std::string::npos);
      }
    }
    luvaro.Terminate();
    close(client);
  }
}

const std::string kInicio = "Iniciando...\n";
const std::string kSetando = "Setando os parametros...\n";
const std::string kErroParam = "Erro: Erro na leitura dos parâmetros.\n\nERRO: ";

TEST_F(ShellE2E, MissingVersionEndsBeforeTheUpdateQuery) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"", "0", "http://erp/"}}) {
    const ProcessResult r = Run(kExe, args);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kInicio + "Erro: Versão Orvane não informada.\n");  // nothing else ran
    EXPECT_EQ(r.out, "");
  }
}

// GnuTLS comes in only through curl's LDAP and RTMP support; its start-up would read the system
// priority file. Named here as a FIFO nobody writes to, it would hold the program in GnuTLS's
// library constructor until the safety limit; the program must never open it.
TEST_F(ShellE2E, GnuTlsIsNotSetUpAtStart) {
  const fs::path fifo = home / "prioridades.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
  ProcessOptions options;
  options.env = {{"LUVARO_HEADLESS", "1"},
                 {"LUVARO_HOME", home.path().string()},
                 {"GNUTLS_SYSTEM_PRIORITY_FILE", fifo.string()}};
  options.limit = std::chrono::seconds(20);
  const ProcessResult r = RunProcess(kExe, options);
  EXPECT_FALSE(r.timedOut) << "stopped in GnuTLS's start-up";
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, kInicio + "Erro: Versão Orvane não informada.\n");
}

// The update step's own lines come between; the run ends with the parameter error.
TEST_F(ShellE2E, BadCommandLinesEndWithTheirMessageAndExitCodeOne) {
  const std::string longText(100000, 'x');  // near the system's limit for one argument
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string detail;
  } cases[] = {
      {"process 3", {"4.0.01-180629", "3"}, "Processo inválido."},
      {"process not numeric",
       {"4.0.01-180629", "\xff\xfe"},
       "'\xff\xfe' não é um valor inteiro válido"},
      {"url", {"v", "0", ""}, "URL Orvane."},
      {"group", {"v", "0", "u/", "4", "0", "k"}, "Grupo eSocial inválido."},
      {"environment", {"v", "2", "u/", "", "-1", "k"}, "Ambiente eSocial inválido."},
      {"key", {"v", "1", "u/", "123", "0"}, "EmpresaKey não informada."},
      {"protocol", {"v", "1", "u/", "", "0", "k"}, "Protocolo Envio não informado."},
      {"project type in another case",
       {"v", "0", "u/", "1", "0", "k", "ESocial"},
       "Tipo de projeto inválido: ESocial"},
      {"unknown project type",
       {"v", "0", "u/", "1", "0", "k", "nfe"},
       "Tipo de projeto inválido: nfe"},
      {"very long project type",
       {"v", "0", "u/", "1", "0", "k", longText},
       "Tipo de projeto inválido: " + longText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProcessResult r = Run(kExe, c.args);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with(kInicio)) << r.err;
    EXPECT_TRUE(r.err.ends_with(kSetando + kErroParam + c.detail + "\n")) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// A project type that has no worker (the test host knows none of the real ones) ends as a
// parameter error; an empty type means "esocial".
TEST_F(ShellE2E, ProjectTypesWithoutWorkerAreRefused) {
  for (const char* tipo : {"", "esocial", "reinf", "esocialbx"}) {
    SCOPED_TRACE(tipo);
    const ProcessResult r = Run(kHost, {"4.0.01-180629", "0", "http://erp/", "1", "0", "k", tipo});
    EXPECT_EQ(r.exitCode, 1);
    const std::string shown = *tipo ? tipo : "esocial";
    EXPECT_EQ(r.err, kInicio + kSetando + kErroParam + "Tipo de projeto inválido: " + shown + "\n");
  }
}

TEST_F(ShellE2E, ParameterLineIsLoggedWhenTheLogsFolderExists) {
  Run(kExe, {"4.0.01-180629", "3"});
  EXPECT_FALSE(fs::exists(home / "Logs"));  // never created by the program

  fs::create_directory(home / "Logs");
  Run(kExe, {"4.0.01-180629", "3"});
  const std::string expected =
      " - Inicio Applicação com os parametros: " + fs::canonical(kExe).string() +
      "  4.0.01-180629  3" + std::string(12, ' ') + "\r\n";
  const std::string log = Logs();
  EXPECT_NE(log.find(expected), std::string::npos) << log;
  std::size_t lines = 0;
  for (auto at = log.find("Inicio Applicação"); at != std::string::npos;
       at = log.find("Inicio Applicação", at + 1))
    ++lines;
  EXPECT_EQ(lines, 1u);
}

TEST_F(ShellE2E, WorkerSeamEndsTheRunWithTheWorkersExitCode) {
  struct Case {
    const char* tipo;
    int exitCode;
    std::string err;
  } cases[] = {
      {"imediato", 0, kInicio + kSetando + "Trabalhando...\n"},
      {"semcertificado", 2, kInicio + kSetando},
      {"falha", 1, kInicio + kSetando + "Erro: Falha de teste.\n"},
      {"excecao", 1, kInicio + kSetando + "Erro: Erro durante a execução: \n\nERRO: quebrou\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tipo);
    const ProcessResult r = Run(kHost, {"v", "0", "http://erp/", "1", "0", "k", c.tipo});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");  // the stop flag unwound the failing job
  }
}

TEST_F(ShellE2E, UpdateStopEndsWithExitCodeOne) {
  const ProcessResult r = Run(kHost, {"v", "0", "http://erp/", "1", "0", "k", "imediato"},
                              {{"LUVARO_TESTE_ATUALIZACAO", "parar"}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, kInicio + "Verificando atualização...\n");
}

// The installer gets the parameter file and /SILENT, and ends the waiting program.
TEST_F(ShellE2E, UpdateInstallWritesParameterFileAndStartsTheInstaller) {
  WriteFile(home / "Luvaro-install",
            "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/argumentos.txt\"\n"
            "echo \"$LUVARO_PID\" > \"$(dirname \"$0\")/pid.txt\"\n"
            "kill -TERM \"$LUVARO_PID\"\n");
  const std::vector<std::string> args{"4.0.01-180629",    "1",    "http://erp/", "1.2.3", "0",
                                      "chave com espaço", "reinf"};
  const ProcessResult r = Run(kHost, args, {{"LUVARO_TESTE_ATUALIZACAO", "instalar"}});
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exitCode, 0);  // the current exit code when the installer ended the program
  EXPECT_EQ(r.err, kInicio + "Verificando atualização...\nAtualizando aplicativo...\n");

  std::string param = fs::canonical(kHost).string() + "\r\n";
  for (const std::string& a : args) param += a + "\r\n";
  EXPECT_EQ(ReadFile(home / "Luvaro.param"), param);
  EXPECT_EQ(ReadFile(home / "argumentos.txt"), "/SILENT\n");
  EXPECT_NE(std::stoi(ReadFile(home / "pid.txt")), 0);
}

// A termination request while the job runs ends the run as terminated by that request, never
// with exit code 0 (which tells the ERP that the job ran to its end).
TEST_F(ShellE2E, TerminationRequestDuringTheJobEndsTheRunByThatSignal) {
  for (const int sinal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sinal));
    const fs::path fifo = home / ("espera-" + std::to_string(sinal) + ".fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ProcessOptions options;
    options.args = {"v", "1", "http://erp/", fifo.string(), "0", "k", "espera"};
    options.env = {{"LUVARO_HEADLESS", "1"}, {"LUVARO_HOME", home.path().string()}};
    BackgroundProcess luvaro(kHost, options);
    ASSERT_EQ(luvaro.ReadLine(), "pronto");
    ASSERT_EQ(kill(luvaro.pid(), sinal), 0);
    const ProcessResult r = luvaro.Wait();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, sinal);
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(r.out, "");  // the job did not go on
  }
}

// The end of one run ends that process only, never another instance of the program.
TEST_F(ShellE2E, EndOfOneInstanceNeverEndsAnother) {
  const fs::path fifo = home / "espera.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ProcessOptions options;
  options.args = {"v", "1", "http://erp/", fifo.string(), "0", "k", "espera"};
  options.env = {{"LUVARO_HEADLESS", "1"}, {"LUVARO_HOME", home.path().string()}};
  BackgroundProcess first(kHost, options);
  ASSERT_EQ(first.ReadLine(), "pronto");

  // A second instance of the same executable runs to its end meanwhile.
  const ProcessResult second = Run(kHost, {"v", "0", "http://erp/", "1", "0", "k", "imediato"});
  EXPECT_EQ(second.exitCode, 0);
  const ProcessResult third = Run(kExe, {"v", "3"});  // and the real program, after an error
  EXPECT_EQ(third.exitCode, 1);

  // The first one still waits on its FIFO: opening it for writing finds the reader.
  const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0) << "the first instance is gone: " << std::strerror(errno);
  close(fd);
  EXPECT_EQ(first.ReadLine(), "fim");
  const ProcessResult end = first.Wait();
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exitCode, 0);
}

}  // namespace
}  // namespace luvaro::test
