#pragma once

// Operating-system services of the core, one implementation file per platform under
// app/core/platform/<os>/. Only app/ includes this header.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace luvaro::platform {

// The command line's arguments after the program's name, as UTF-8 text: argv itself on Linux;
// on Windows the system's UTF-16 command line (argv holds it in the ANSI code page, which
// loses what the code page cannot show).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Settles the memory allocator for a run, before any thread starts. A run holds a whole lot
// several times over (the ERP's reply, the signed events, the lot and its envelope), each copy
// megabytes large on a big lot. On Linux such buffers stay in the heap once freed, where the
// next copy reuses them, instead of each going to a mapping of its own and back to the system;
// and the heap beyond what a small run uses may be backed by large pages, so that a large lot
// takes far fewer page faults. Nothing on Windows.
void PrepararMemoria();

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// Appends the bytes to the file in one write, creating the file when missing. Throws
// EDFeException naming the file and the system's reason on failure.
void AppendToFile(const std::filesystem::path& file, std::string_view bytes);

// UTF-8 text as the system's ANSI code page writes it, for the log and the parameter file: on
// Linux UTF-8 itself; on Windows the ANSI code page, characters outside it replaced by the
// conversion.
std::string TextoAnsi(std::string_view utf8);

// AppendToFile with UTF-8 text written as TextoAnsi gives it (on Linux the text as it is,
// without a copy: a log line may hold a whole lot).
void AppendTextToFile(const std::filesystem::path& file, std::string_view utf8);

// A running process as the system lists it.
struct ProcessEntry {
  int pid = 0;
  std::string exePath;  // the executable's full path, or only its file name when unreadable
};

// Every running process (not the ended-but-unreaped ones), in the system's order; empty when
// the list cannot be read.
std::vector<ProcessEntry> ListProcesses();

// Asks the process to end (the termination signal); true when the request was delivered.
bool RequestProcessEnd(int pid);

// Id of this process.
int CurrentProcessId();

// Whether a window can be shown to a user: on Linux a display is named (DISPLAY,
// WAYLAND_DISPLAY or QT_QPA_PLATFORM); on Windows the process runs in the interactive window
// station (not in a service's).
bool DisplayAvailable();

}  // namespace luvaro::platform

namespace luvaro::platform {

// A process the program started and watches: the update's installer. The owner waits for its
// end on one thread and may give up waiting from another.
class WatchedProcess {
 public:
  virtual ~WatchedProcess() = default;

  // Blocks until the process has ended and returns its exit code (128 + the signal's number
  // when a signal ended it); nothing once StopWaiting was called, before or during the wait.
  virtual std::optional<int> WaitForExit() = 0;

  // Makes WaitForExit return nothing. Callable from any thread.
  virtual void StopWaiting() noexcept = 0;
};

// The file name the downloaded installer is started under, in the application folder:
// "Luvaro-install" on Linux, "Luvaro-install.exe" on Windows (the command interpreter runs
// programs by their extension).
std::string InstallerName();

// Starts the installer file with its arguments as a process of its own, with the extra
// environment variables added; the returned object watches the installer's lifetime, not a
// shell that ends at once. On Linux detached from this process (own session, standard streams
// on the null device); on Windows through ShellExecuteExW and the system's "cmd", hidden,
// which waits for the installer. Throws EDFeException when it cannot be started.
std::unique_ptr<WatchedProcess> StartInstaller(
    const std::filesystem::path& installer, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& extraEnv);

// From now on a termination request (SIGTERM, SIGINT, SIGHUP) ends the run as terminated by that
// request, never with exit code 0: the default action of the signal is restored and the signal
// raised again. A signal that was ignored when the program started (SIGINT or SIGHUP under
// nohup) stays ignored.
void InstallEndRequestHandler();

// From now on a termination request ends this process at once with the current exit code
// (exit_code.h): the way the installer ends the program that waits for it. Lasts until the
// process ends.
void EndRequestsKeepExitCode() noexcept;

}  // namespace luvaro::platform
