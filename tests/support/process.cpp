#include "tests/support/process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace luvaro::test {
namespace {

std::vector<std::string> BuildEnvironment(const ProcessOptions& options) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    auto eq = entry.find('=');
    if (eq == std::string::npos) continue;
    merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& name : options.unsetEnv) merged.erase(name);
  for (const auto& [name, value] : options.env) merged[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (auto& t : texts) result.push_back(t.data());
  result.push_back(nullptr);
  return result;
}

struct Spawned {
  pid_t pid;
  int inFd;   // our end of the child's standard input, or -1
  int outFd;  // our end of the child's standard output
  int errFd;  // our end of the child's standard error, or -1 when it goes to a file
};

Spawned Spawn(const fs::path& program, const ProcessOptions& options, const fs::path* errFile) {
  int inPipe[2], outPipe[2], errPipe[2] = {-1, -1};
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  if (!errFile && pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  if (errFile)
    posix_spawn_file_actions_addopen(&actions, 2, errFile->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  else
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  if (options.workDir) posix_spawn_file_actions_addchdir_np(&actions, options.workDir->c_str());

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<std::string> argv{program.string()};
  argv.insert(argv.end(), options.args.begin(), options.args.end());
  std::vector<std::string> envp = BuildEnvironment(options);
  auto argvP = Pointers(argv);
  auto envpP = Pointers(envp);

  pid_t pid = -1;
  int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argvP.data(), envpP.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(inPipe[0]);
  close(outPipe[1]);
  if (errPipe[1] >= 0) close(errPipe[1]);
  if (rc != 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    if (errPipe[0] >= 0) close(errPipe[0]);
    throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(rc));
  }
  return {pid, inPipe[1], outPipe[0], errPipe[0]};
}

void Decode(int status, ProcessResult& result) {
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.exitCode = -1;
    result.signal = WTERMSIG(status);
  }
}

}  // namespace

ProcessResult RunProcess(const fs::path& program, const ProcessOptions& options) {
  Spawned child = Spawn(program, options, nullptr);
  ProcessResult result;

  // Feed standard input from a thread so that a child that does not read it cannot block us.
  std::thread feeder([fd = child.inFd, text = options.stdinText] {
    std::signal(SIGPIPE, SIG_IGN);
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
  });

  const auto deadline = Clock::now() + options.limit;
  pollfd fds[2] = {{child.outFd, POLLIN, 0}, {child.errFd, POLLIN, 0}};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(child.pid, SIGKILL);
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  feeder.join();
  Decode(status, result);
  return result;
}

BackgroundProcess::BackgroundProcess(const fs::path& program, const ProcessOptions& options) {
  char name[] = "/tmp/luvaro-bg-stderr-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  m_errFile = name;
  Spawned child = Spawn(program, options, &m_errFile);
  close(child.inFd);
  m_pid = child.pid;
  m_outFd = child.outFd;
}

BackgroundProcess::~BackgroundProcess() {
  if (!m_ended) {
    try {
      Terminate();
    } catch (const std::exception&) {
      kill(m_pid, SIGKILL);
    }
  }
  if (m_outFd >= 0) close(m_outFd);
  std::error_code ec;
  fs::remove(m_errFile, ec);
}

std::string BackgroundProcess::ReadLine(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    auto nl = m_pending.find('\n');
    if (nl != std::string::npos) {
      std::string line = m_pending.substr(0, nl);
      m_pending.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) throw std::runtime_error("no line from the process in time");
    pollfd p{m_outFd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[4096];
    ssize_t n = read(m_outFd, buffer, sizeof buffer);
    if (n <= 0) throw std::runtime_error("the process closed its output: " + StdErr());
    m_pending.append(buffer, static_cast<size_t>(n));
  }
}

int BackgroundProcess::Terminate() {
  if (!m_ended) {
    kill(m_pid, SIGTERM);
    ProcessResult r = Wait(std::chrono::seconds(20));
    return r.exitCode;
  }
  ProcessResult r;
  Decode(m_status, r);
  return r.exitCode;
}

ProcessResult BackgroundProcess::Wait(std::chrono::milliseconds limit) {
  ProcessResult result;
  if (!m_ended) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
      pid_t done = waitpid(m_pid, &m_status, WNOHANG);
      if (done == m_pid) break;
      if (Clock::now() >= deadline) {
        result.timedOut = true;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &m_status, 0);
        break;
      }
      // A pid cannot be waited on with a time limit portably; poll the output pipe meanwhile.
      pollfd p{m_outFd, POLLIN, 0};
      if (poll(&p, 1, 20) > 0) {
        char buffer[4096];
        ssize_t n = read(m_outFd, buffer, sizeof buffer);
        if (n > 0) m_pending.append(buffer, static_cast<size_t>(n));
      }
    }
    m_ended = true;
  }
  Decode(m_status, result);
  result.out = m_pending;
  result.err = StdErr();
  return result;
}

std::string BackgroundProcess::StdErr() const {
  try {
    return ReadFile(m_errFile);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace luvaro::test
