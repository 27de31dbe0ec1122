#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace luvaro::bench {

// What one finished child process cost.
struct ChildCost {
  std::chrono::steady_clock::duration wall{};  // from just before the spawn to its end
  long peakRssKb = 0;                          // its peak resident set (ru_maxrss)
  double cpuSeconds = 0;                       // user and system time it used
  int exitCode = -1;                           // -1 when a signal ended it
};

// A program started for a benchmark, with this process's environment plus `env`; its standard
// output and error go to /dev/null (or to `errFile` when given).
class Child {
 public:
  Child(const std::filesystem::path& program, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& env, const std::filesystem::path& errFile = {});
  ~Child();
  Child(const Child&) = delete;  // one owner reaps the process
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return m_pid; }
  std::chrono::steady_clock::time_point started() const { return m_started; }

  // Sends the signal (when still running).
  void Signal(int signal);
  // Waits for the end and reaps the process.
  ChildCost Wait();

 private:
  pid_t m_pid = -1;
  std::chrono::steady_clock::time_point m_started;
  bool m_reaped = false;
};

// The median of the values (sorted copy).
double Median(std::vector<double> values);

}  // namespace luvaro::bench
