#include "bench/bench_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace luvaro::bench {

Child::Child(const std::filesystem::path& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::filesystem::path& errFile) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : env) all[name] = value;
  std::vector<std::string> envText;
  for (const auto& [name, value] : all) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{program.string()};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argText) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.empty() ? "/dev/null" : errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  m_started = std::chrono::steady_clock::now();
  const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    throw std::runtime_error("posix_spawn " + program.string() + ": " + std::strerror(rc));
}

Child::~Child() {
  if (m_reaped) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
}

void Child::Signal(int signal) {
  if (!m_reaped) kill(m_pid, signal);
}

ChildCost Child::Wait() {
  ChildCost cost;
  int status = 0;
  rusage usage{};
  while (wait4(m_pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
  }
  cost.wall = std::chrono::steady_clock::now() - m_started;
  m_reaped = true;
  cost.peakRssKb = usage.ru_maxrss;
  cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  cost.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return cost;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace luvaro::bench
