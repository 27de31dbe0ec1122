// A stand-in installer for the update tests: records, beside itself in "instalador.txt", how it
// was started (one line each): its file name, its file's size in bytes, its arguments after the
// program name, LUVARO_PID, and the file names of the processes that started it (parent first,
// comma-separated, lower case). Then ends with exit code 0.

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwctype>
#include <map>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// This process's ancestors, parent first, as the process snapshot names them.
std::wstring Ancestors() {
  std::map<DWORD, std::pair<DWORD, std::wstring>> processes;  // id -> parent, file name
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    processes[entry.th32ProcessID] = {entry.th32ParentProcessID, entry.szExeFile};
  CloseHandle(snapshot);
  std::wstring chain;
  DWORD id = GetCurrentProcessId();
  for (int depth = 0; depth < 8; ++depth) {
    const auto it = processes.find(id);
    if (it == processes.end()) break;
    const auto parent = processes.find(it->second.first);
    if (parent == processes.end() || parent->first == id) break;
    std::wstring name = parent->second.second;
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    chain += (chain.empty() ? L"" : L",") + name;
    id = parent->first;
  }
  return chain;
}

}  // namespace

int main() {
  wchar_t self[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  const std::filesystem::path path(self);
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);

  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring args;
  for (int i = 1; i < count; ++i) args += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
  LocalFree(argv);

  wchar_t pid[32] = {};
  GetEnvironmentVariableW(L"LUVARO_PID", pid, 32);

  std::wofstream out(path.parent_path() / "instalador.txt");
  out << path.filename().wstring() << L"\n"
      << (error ? 0 : size) << L"\n"
      << args << L"\n"
      << pid << L"\n"
      << Ancestors() << L"\n";
  return 0;
}
