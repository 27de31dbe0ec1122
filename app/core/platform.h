#pragma once

// Operating-system services of the core, one implementation file per platform under
// app/core/platform/<os>/. Only app/ includes this header.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace luvaro::platform {

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// Appends the bytes to the file in one write, creating the file when missing. Throws
// EDFeException naming the file and the system's reason on failure.
void AppendToFile(const std::filesystem::path& file, std::string_view bytes);

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

}  // namespace luvaro::platform

namespace luvaro::platform {

// Starts argv[0] with its arguments as a process of its own session, detached from this one
// (standard streams on the null device), with the extra environment variables added; the
// program does not wait for it. Throws EDFeException when it cannot be started.
void StartDetached(const std::vector<std::string>& argv,
                   const std::vector<std::pair<std::string, std::string>>& extraEnv);

// From now on the termination signal ends this process at once with the current exit code
// (exit_code.h): the way an installer, or another program, ends a waiting instance.
void InstallEndRequestHandler();

}  // namespace luvaro::platform
