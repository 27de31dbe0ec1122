#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/core/util.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
extern char** environ;

namespace luvaro {
namespace {

// A child process that waits until it is ended; killed and reaped when still running.
class Child {
 public:
  explicit Child(const fs::path& program) {
    std::string path = program.string();
    std::string seconds = "600";
    char* argv[] = {path.data(), seconds.data(), nullptr};
    if (posix_spawn(&m_pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) m_pid = -1;
  }
  ~Child() {
    if (m_pid > 0 && !m_reaped) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  Child(const Child&) = delete;  // one owner reaps the process
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return m_pid; }
  bool Running() {
    int status = 0;
    return waitpid(m_pid, &status, WNOHANG) == 0;
  }
  // Waits for the end; the signal that ended it.
  int WaitSignal() {
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_reaped = true;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  void MarkReaped() { m_reaped = true; }

 private:
  pid_t m_pid = -1;
  bool m_reaped = false;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}
std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

TEST(MatarProcesso, EndsTheFirstMatchOnlyComparingWithoutCase) {
  test::TempDir dir("luvaro-kill");
  // A name no other process carries: a copy of sleep named after this test run.
  const std::string name = "AlvoLuvaro" + std::to_string(getpid());
  const fs::path program = dir / name;
  fs::copy_file("/bin/sleep", program);

  EXPECT_EQ(TUtil::MatarProcesso(name), -1);  // nothing running under that name yet

  Child a(program);
  Child b(program);
  ASSERT_GT(a.pid(), 0);
  ASSERT_GT(b.pid(), 0);

  EXPECT_EQ(TUtil::MatarProcesso(Lower(name)), 1);
  // Exactly one of the two was asked to end.
  int status = 0;
  const pid_t ended = waitpid(-1, &status, 0);
  ASSERT_TRUE(ended == a.pid() || ended == b.pid());
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  Child& first = ended == a.pid() ? a : b;
  Child& second = ended == a.pid() ? b : a;
  first.MarkReaped();
  EXPECT_TRUE(second.Running());

  // The whole path, upper-cased, matches too.
  EXPECT_EQ(TUtil::MatarProcesso(Upper(program.string())), 1);
  EXPECT_EQ(second.WaitSignal(), SIGTERM);
  EXPECT_EQ(TUtil::MatarProcesso(name), -1);
  EXPECT_EQ(TUtil::MatarProcesso(name + ".exe"), -1);
}

}  // namespace
}  // namespace luvaro
