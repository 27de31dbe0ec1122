#pragma once

// Operating-system services of the core, one implementation file per platform under
// app/core/platform/<os>/. Nothing outside app/core includes this header.

#include <filesystem>
#include <string>
#include <string_view>
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
