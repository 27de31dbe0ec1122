#include "app/core/util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

using test::ReadFile;
using test::TempDir;

// A local date and time as the log would see it.
std::chrono::system_clock::time_point Local(int day, int month, int year, int h, int m, int s) {
  std::tm t{};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  t.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

class UtilTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("LUVARO_HOME", home.path().c_str(), 1); }
  void TearDown() override { unsetenv("LUVARO_HOME"); }

  fs::path Logs() const { return home / "Logs"; }

  TempDir home{"luvaro-util"};
};

TEST_F(UtilTest, AppPathHonoursHomeAndEndsWithSeparator) {
  const fs::path exeFolder = fs::canonical("/proc/self/exe").parent_path();
  struct Case {
    const char* name;
    const char* home;  // null: unset
    std::string expected;
  } cases[] = {
      {"without trailing slash", "/opt/luvaro", "/opt/luvaro/"},
      {"with trailing slash", "/opt/luvaro/", "/opt/luvaro/"},
      {"unset", nullptr, exeFolder.string() + "/"},
      {"empty", "", exeFolder.string() + "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.home)
      setenv("LUVARO_HOME", c.home, 1);
    else
      unsetenv("LUVARO_HOME");
    EXPECT_EQ(TUtil::GetAppPath(), c.expected);
  }
}

TEST_F(UtilTest, LogIsSkippedWithoutLogsFolder) {
  EXPECT_NO_THROW(TUtil::LogAppend("nada", Local(8, 12, 2026, 10, 0, 0)));
  EXPECT_TRUE(fs::is_empty(home.path()));  // the folder is never created
}

TEST_F(UtilTest, LogLinesHaveDateTimeSeparatorAndCrLf) {
  fs::create_directory(Logs());
  TUtil::LogAppend("primeira", Local(8, 12, 2026, 14, 5, 9));
  TUtil::LogAppend("resposta\r\n<xml/>\nfim", Local(8, 12, 2026, 14, 5, 10));
  EXPECT_EQ(ReadFile(Logs() / "log_08_12_2026.txt"),
            "08-12-2026 14:05:09 - primeira\r\n"
            "08-12-2026 14:05:10 - resposta\r\n<xml/>\nfim\r\n");
}

TEST_F(UtilTest, LogChangesFileAtMidnight) {
  fs::create_directory(Logs());
  TUtil::LogAppend("antes", Local(31, 12, 2026, 23, 59, 59));
  TUtil::LogAppend("depois", Local(1, 1, 2027, 0, 0, 0));
  EXPECT_EQ(ReadFile(Logs() / "log_31_12_2026.txt"), "31-12-2026 23:59:59 - antes\r\n");
  EXPECT_EQ(ReadFile(Logs() / "log_01_01_2027.txt"), "01-01-2027 00:00:00 - depois\r\n");
}

TEST_F(UtilTest, LogKeepsWhatIsThereAndUsesTheClock) {
  fs::create_directory(Logs());
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  char name[32];
  std::strftime(name, sizeof name, "log_%d_%m_%Y.txt", &local);
  test::WriteFile(Logs() / name, "anterior\r\n");

  TUtil::LogAppend("agora");
  const std::string content = ReadFile(Logs() / name);
  ASSERT_TRUE(content.starts_with("anterior\r\n")) << content;
  EXPECT_TRUE(content.ends_with(" - agora\r\n")) << content;
}

TEST_F(UtilTest, LogFailureRaises) {
  fs::create_directories(Logs() / "log_08_12_2026.txt");  // a folder where the file should be
  try {
    TUtil::LogAppend("x", Local(8, 12, 2026, 1, 2, 3));
    FAIL() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_NE(std::string(e.what()).find("log_08_12_2026.txt"), std::string::npos) << e.what();
  }
}

TEST(SomenteNumero, KeepsOnlyAsciiDigits) {
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      {"version", "4.0.01-180629", "4001180629"},
      {"empty", "", ""},
      {"letters blanks dots dashes", " a1 b.2-c3 ", "123"},
      {"no digit", "versão", ""},
      {"other digit characters", "١٢3²4", "34"},  // Arabic-Indic and superscript digits go
      {"only digits", "0099", "0099"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TUtil::SomenteNumero(c.input), c.expected);
  }
}

}  // namespace
}  // namespace luvaro
