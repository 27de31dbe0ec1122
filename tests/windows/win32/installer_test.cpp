// The update's installer on Windows: the start-up renames the downloaded file into place as
// Luvaro-install.exe, writes Luvaro.param and starts it through "cmd" with /SILENT and this
// process's id; the installer that runs is the whole file. The stand-in installer
// (test_installer.cpp) records how it was started and ends without ending this program, so the
// run ends after the wait with exit code 1 and its message.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <windows.h>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/startup.h"
#include "app/headless/headless_front.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();  // written in text mode
    lines.push_back(line);
  }
  return lines;
}

TEST(InstaladorWindows, StartedWholeThroughCmdWithItsArguments) {
  const char* source = std::getenv("LUVARO_TEST_INSTALLER");
  ASSERT_NE(source, nullptr) << "LUVARO_TEST_INSTALLER is not set";
  // A folder with blanks and parentheses, as "Program Files (x86)" has.
  test::TempDir base{"luvaro-instalador"};
  const fs::path home = base.path() / "Luvaro (teste) & cia";
  fs::create_directories(home);
  ASSERT_EQ(_putenv_s("LUVARO_HOME", home.string().c_str()), 0);
  SetExitCode(0);

  const fs::path baixado = home / ("Luvaro-install." + std::to_string(GetCurrentProcessId()));
  fs::copy_file(source, baixado);
  const auto tamanho = fs::file_size(source);

  const std::vector<std::string> args{
      "C:\\Orvane\\Luvaro.exe", "4.0.01-180629", "0", "http://erp/", "1", "1", "chave ç"};
  UpdateStep update = [&](UpdateContext& u) {
    u.IsAtualizar = true;
    u.Instalador = baixado;
    u.EsperaInstalador = std::chrono::milliseconds(50);
  };
  WorkerRegistry workers;
  std::ostringstream saida;
  HeadlessFront front(HeadlessSettings{}, saida);
  MainThreadQueue loop;
  {
    Startup startup(args, front, loop, update, workers);
    loop.Post([&] { startup.Iniciar(); });
    loop.RunUntilTerminated();
    loop.Close();
  }
  ASSERT_EQ(_putenv_s("LUVARO_HOME", ""), 0);

  EXPECT_EQ(GetExitCode(), 1);
  EXPECT_NE(saida.str().find("Atualizando aplicativo..."), std::string::npos) << saida.str();
  EXPECT_NE(saida.str().find("A atualização do Luvaro não foi concluída.\n\nERRO: O instalador "
                             "terminou sem concluir a atualização (código 0)."),
            std::string::npos)
      << saida.str();
  EXPECT_FALSE(fs::exists(baixado));
  ASSERT_TRUE(fs::exists(home / "instalador.txt")) << saida.str();
  const std::vector<std::string> registro = Lines(test::ReadFile(home / "instalador.txt"));
  ASSERT_EQ(registro.size(), 5u);
  EXPECT_EQ(registro[0], "Luvaro-install.exe");
  EXPECT_EQ(registro[1], std::to_string(tamanho));
  EXPECT_EQ(registro[2], "/SILENT");
  EXPECT_EQ(registro[3], std::to_string(GetCurrentProcessId()));
  // Started by the command interpreter, which this process started.
  EXPECT_NE(("," + registro[4] + ",").find(",cmd.exe,"), std::string::npos) << registro[4];
  // The parameter file: every argument, CR LF, in the ANSI code page ("ç" is one byte, E7).
  EXPECT_EQ(test::ReadFile(home / "Luvaro.param"),
            "C:\\Orvane\\Luvaro.exe\r\n4.0.01-180629\r\n0\r\nhttp://erp/\r\n1\r\n1\r\nchave "
            "\xE7\r\n");
}

}  // namespace
}  // namespace luvaro
