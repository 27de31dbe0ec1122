// The application folder and the log under Wine: the folder beside the executable with
// Windows' separator, and the log's bytes in the system's ANSI code page.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/core/util.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {
namespace {

namespace fs = std::filesystem;

TEST(TUtilWindows, TheApplicationFolderIsTheExecutablesWithItsSeparator) {
  ASSERT_EQ(_putenv_s("LUVARO_HOME", ""), 0);
  wchar_t exe[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  const std::string pasta = TUtil::GetAppPath();
  ASSERT_FALSE(pasta.empty());
  EXPECT_EQ(pasta.back(), '\\');
  EXPECT_EQ(fs::path(exe).parent_path(), fs::path(pasta).parent_path());
}

TEST(TUtilWindows, TheLogIsWrittenInTheAnsiCodePage) {
  // Wine's prefix here has the code page of a Western locale, as the offices' Windows have.
  ASSERT_EQ(GetACP(), 1252u);
  TempDir home;
  fs::create_directories(home / "Logs");
  ASSERT_EQ(_putenv_s("LUVARO_HOME", home.path().string().c_str()), 0);
  // 10/03/2026 12:00 UTC: the date in the file name and the line stays in local time.
  const auto quando = std::chrono::system_clock::from_time_t(1773144000);
  TUtil::LogAppend("Transmissão concluída: ação € ✓", quando);
  ASSERT_EQ(_putenv_s("LUVARO_HOME", ""), 0);

  std::vector<fs::path> arquivos;
  for (const auto& entrada : fs::directory_iterator(home / "Logs")) arquivos.push_back(entrada);
  ASSERT_EQ(arquivos.size(), 1u);
  const std::string bytes = ReadFile(arquivos[0]);
  // One byte per character; a character outside the code page becomes what the conversion
  // gives for it ("?").
  EXPECT_TRUE(bytes.ends_with(" - Transmiss\xE3o conclu\xED" "da: a\xE7\xE3o \x80 ?\r\n"))
      << bytes;
  EXPECT_EQ(bytes.size(), std::string("dd-mm-aaaa hh:mm:ss - ").size() + 31 + 2);
}

}  // namespace
}  // namespace luvaro::test
