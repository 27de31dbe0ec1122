// Linux services of the core: /proc for the executable and the process list, POSIX files and
// signals.

#include "app/core/platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <fstream>
#include <malloc.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/core/exit_code.h"
#include "dfe/dfe_exception.h"

extern char** environ;

namespace fs = std::filesystem;

namespace luvaro::platform {
namespace {

// Owns a file descriptor; the descriptor is closed exactly once, so copies are refused.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const noexcept { return m_fd; }
  // Closes now, reporting the result (a failed close can mean lost data on some file systems).
  int close() noexcept {
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc;
  }

 private:
  int m_fd;
};

[[noreturn]] void ThrowIo(const char* what, const fs::path& file, int error) {
  throw EDFeException(std::string("Erro de E/S ao ") + what + " o arquivo \"" + file.string() +
                      "\": " + std::strerror(error));
}

std::string ReadLink(const fs::path& link) {
  std::error_code ec;
  fs::path target = fs::read_symlink(link, ec);
  return ec ? std::string() : target.string();
}

// The state letter of /proc/<pid>/stat and the command name before it.
bool ReadStat(const fs::path& dir, char& state, std::string& comm) {
  std::ifstream in(dir / "stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  const auto open = line.find('(');
  const auto close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close + 2 >= line.size())
    return false;
  comm = line.substr(open + 1, close - open - 1);
  state = line[close + 2];
  return true;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + std::max(argc, 0));
}

std::string TextoAnsi(std::string_view utf8) {
  return std::string(utf8);
}

fs::path ExecutablePath() {
  std::string self = ReadLink("/proc/self/exe");
  const std::string deleted = " (deleted)";
  if (self.size() > deleted.size() && self.ends_with(deleted))
    self.resize(self.size() - deleted.size());
  return self;
}

void AppendToFile(const fs::path& file, std::string_view bytes) {
  FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (fd.get() < 0) ThrowIo("abrir", file, errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ThrowIo("gravar", file, n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
  if (fd.close() != 0) ThrowIo("gravar", file, errno);
}

void AppendTextToFile(const fs::path& file, std::string_view utf8) {
  AppendToFile(file, utf8);
}

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> result;
  std::error_code ec;
  fs::directory_iterator it("/proc", ec);
  if (ec) return result;
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    char state = 0;
    std::string comm;
    if (!ReadStat(entry.path(), state, comm) || state == 'Z' || state == 'X') continue;
    std::string exe = ReadLink(entry.path() / "exe");
    const std::string deleted = " (deleted)";
    if (exe.size() > deleted.size() && exe.ends_with(deleted))
      exe.resize(exe.size() - deleted.size());
    // Another user's process hides its executable; its command name is the file name.
    result.push_back({std::stoi(name), exe.empty() ? comm : exe});
  }
  return result;
}

bool RequestProcessEnd(int pid) {
  return ::kill(pid, SIGTERM) == 0;
}

namespace {

// The heap a large lot grows into, reserved at start (address space only: nothing is touched).
constexpr std::size_t kReservaHeap = std::size_t{96} << 20;
// What a small run uses of it (a one-event send: under 2 MB), left in ordinary pages so that
// its memory stays small wherever the heap starts. Each 4 KB page beyond it that a large lot
// touches would be a fault of its own; a large lot fills this part in its first events.
constexpr std::uintptr_t kHeapDePequenos = std::uintptr_t{2} << 20;
constexpr std::uintptr_t kPaginaGrande = std::uintptr_t{2} << 20;

}  // namespace

void PrepararMemoria() {
  // glibc's largest mapping threshold; a trim threshold above what a run ever frees at once.
  // Setting them also stops glibc from moving them as buffers come and go.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);

  // A large lot touches tens of megabytes of fresh heap, a page fault every 4 KB. One heap for
  // every thread (the worker's allocations would otherwise go to an arena of its own), grown
  // once now by the reserve; beyond what a small run uses, the kernel may then back it with
  // 2 MB pages. Where the heap cannot grow in place this does nothing.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_TOP_PAD, static_cast<int>(kReservaHeap));
  const auto inicio = reinterpret_cast<std::uintptr_t>(sbrk(0));
  void* volatile crescer = malloc(1 << 20);  // volatile: the pair must not be optimised away
  free(crescer);
  const auto fim = reinterpret_cast<std::uintptr_t>(sbrk(0));
  mallopt(M_TOP_PAD, 128 * 1024);  // glibc's default again
  const std::uintptr_t grandes =
      (inicio + kHeapDePequenos + kPaginaGrande - 1) & ~(kPaginaGrande - 1);
  if (fim > grandes) madvise(reinterpret_cast<void*>(grandes), fim - grandes, MADV_HUGEPAGE);
}

int CurrentProcessId() {
  return static_cast<int>(::getpid());
}

std::string InstallerName() {
  return "Luvaro-install";
}

bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace luvaro::platform

namespace luvaro::platform {
namespace {

// Set once the program waits for its installer; read by the signal handler.
std::atomic<bool> g_requestsKeepExitCode{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read from a signal handler");

constexpr int kEndRequests[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void EndRequested(int signalNumber) {
  if (g_requestsKeepExitCode.load()) ::_exit(GetExitCode());
  // Terminated by the signal, as the parent reads it from the wait status: the default action
  // again, and the signal raised anew (it is delivered once this handler returns).
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signalNumber, &byDefault, nullptr);
  raise(signalNumber);
}

// The installer's process: its pidfd tells when it ended, an eventfd when the owner gives up.
class InstallerProcess final : public WatchedProcess {
 public:
  InstallerProcess(pid_t pid, int pidfd, int stopfd) noexcept
      : m_pid(pid), m_pidfd(pidfd), m_stopfd(stopfd) {}
  ~InstallerProcess() override {
    if (m_pidfd >= 0) ::close(m_pidfd);
    if (m_stopfd >= 0) ::close(m_stopfd);
  }
  InstallerProcess(const InstallerProcess&) = delete;  // owns both descriptors
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  std::optional<int> WaitForExit() override {
    pollfd fds[] = {{m_stopfd, POLLIN, 0}, {m_pidfd, POLLIN, 0}};
    // Without a pidfd (a kernel older than 5.3) only the stop request can end the wait.
    const nfds_t count = m_pidfd >= 0 ? 2 : 1;
    while (true) {
      if (::poll(fds, count, -1) < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      if (fds[0].revents != 0) return std::nullopt;
      if (count == 2 && fds[1].revents != 0) break;
    }
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED) < 0) {
      if (errno != EINTR) return std::nullopt;
    }
    return info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
  }

  void StopWaiting() noexcept override {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopfd, &one, sizeof one);
  }

 private:
  pid_t m_pid;
  int m_pidfd;
  int m_stopfd;
};

// Starts argv[0] in a session of its own with the standard streams on the null device.
pid_t SpawnDetached(const std::vector<std::string>& argv,
                    const std::vector<std::pair<std::string, std::string>>& extraEnv) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const auto& [name, value] : extraEnv) replaced |= entry.starts_with(name + "=");
    if (!replaced) env.push_back(entry);
  }
  for (const auto& [name, value] : extraEnv) env.push_back(name + "=" + value);

  std::vector<char*> argvP;
  for (const std::string& a : argv) argvP.push_back(const_cast<char*>(a.c_str()));
  argvP.push_back(nullptr);
  std::vector<char*> envP;
  for (const std::string& e : env) envP.push_back(const_cast<char*>(e.c_str()));
  envP.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigfillset(&defaults);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argvP[0], &actions, &attr, argvP.data(), envP.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw EDFeException("Falha ao iniciar \"" + argv[0] + "\": " + std::strerror(rc));
  return pid;
}

}  // namespace

std::unique_ptr<WatchedProcess> StartInstaller(
    const fs::path& installer, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& extraEnv) {
  const int stopfd = ::eventfd(0, EFD_CLOEXEC);
  if (stopfd < 0) ThrowIo("acompanhar", installer, errno);
  std::vector<std::string> argv{"/bin/sh", installer.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_t pid = -1;
  try {
    pid = SpawnDetached(argv, extraEnv);
  } catch (...) {
    ::close(stopfd);
    throw;
  }
  // glibc's pidfd_open wrapper is not declared for C++ here; the system call is the same.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  return std::make_unique<InstallerProcess>(pid, pidfd, stopfd);
}

void InstallEndRequestHandler() {
  for (const int signalNumber : kEndRequests) {
    struct sigaction previous {};
    sigaction(signalNumber, nullptr, &previous);
    if (signalNumber != SIGTERM && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = EndRequested;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}

void EndRequestsKeepExitCode() noexcept {
  g_requestsKeepExitCode.store(true);
}

}  // namespace luvaro::platform
