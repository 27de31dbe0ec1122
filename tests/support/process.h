#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace luvaro::test {

struct ProcessResult {
  int exitCode = -1;     // the exit status, or -1 when ended by a signal
  int signal = 0;        // the signal that ended it, if any
  bool timedOut = false; // the safety limit ran out and the process was killed
  std::string out;       // standard output
  std::string err;       // standard error
};

struct ProcessOptions {
  std::vector<std::string> args;                        // without the program itself
  std::map<std::string, std::string> env;               // added to (or replacing) the caller's
  std::vector<std::string> unsetEnv;                    // removed from the caller's environment
  std::optional<std::filesystem::path> workDir;
  std::chrono::milliseconds limit{std::chrono::minutes(2)};  // a safety net against hangs only
  std::string stdinText;                                // written to standard input, then closed
};

// Runs a program to its end and collects its output and exit status.
ProcessResult RunProcess(const std::filesystem::path& program, const ProcessOptions& options);

// A program running in the background for the length of a test (a simulator, a second
// instance); ended with SIGTERM, then SIGKILL, when the owner goes away.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::filesystem::path& program, const ProcessOptions& options);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;  // one owner ends the process
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  pid_t pid() const noexcept { return m_pid; }

  // The next line the process writes to standard output (without the line feed); waits for it
  // up to `limit`, failing with an exception when the process ends or the limit passes first.
  std::string ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(30));

  // Sends SIGTERM and waits for the end; the exit status, or -1 when ended by a signal.
  int Terminate();

  // Waits for the process to end on its own (up to `limit`, then kills it).
  ProcessResult Wait(std::chrono::milliseconds limit = std::chrono::minutes(2));

  // Everything the process wrote to standard error so far (it goes to a file).
  std::string StdErr() const;

 private:
  pid_t m_pid = -1;
  int m_outFd = -1;
  std::string m_pending;
  std::filesystem::path m_errFile;
  bool m_ended = false;
  int m_status = 0;
};

}  // namespace luvaro::test
