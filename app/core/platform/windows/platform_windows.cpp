// Windows services of the core: the module file name, Win32 files, Tool Help process
// snapshots, process handles and console control events.

#include "app/core/platform.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

#include "app/core/exit_code.h"
#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/windows_text.h"

namespace fs = std::filesystem;

namespace luvaro::platform {
namespace {

// Owns a kernel handle; closed exactly once, so copies are refused.
class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) noexcept
      : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() {
    if (m_handle != nullptr) CloseHandle(m_handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const noexcept { return m_handle; }
  HANDLE release() noexcept { return std::exchange(m_handle, nullptr); }
  explicit operator bool() const noexcept { return m_handle != nullptr; }
  // Closes now, reporting the result (a failed close can mean lost data).
  bool close() noexcept {
    const bool ok = CloseHandle(m_handle) != FALSE;
    m_handle = nullptr;
    return ok;
  }

 private:
  HANDLE m_handle;
};

// The system's text for an error code.
std::string SystemText(DWORD code) {
  const std::string text = SystemMessage(code);
  return text.empty() ? "erro " + std::to_string(code) : text;
}

[[noreturn]] void ThrowIo(const char* what, const fs::path& file, DWORD error) {
  throw EDFeException(std::string("Erro de E/S ao ") + what + " o arquivo \"" +
                      Utf8(file.wstring()) + "\": " + SystemText(error));
}

// The full path of a running process's executable; empty when the process hides it.
std::string ProcessImage(DWORD pid) {
  const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD size = static_cast<DWORD>(std::size(path));
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  return Utf8(std::wstring_view(path, size));
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(argv.get()[i]));
  return args;
}

std::string TextoAnsi(std::string_view utf8) {
  const std::wstring texto = Utf16(utf8);
  if (texto.empty()) return {};
  const int tamanho = WideCharToMultiByte(CP_ACP, 0, texto.data(), static_cast<int>(texto.size()),
                                          nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(std::max(tamanho, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, texto.data(), static_cast<int>(texto.size()), ansi.data(),
                      tamanho, nullptr, nullptr);
  return ansi;
}

void AppendTextToFile(const fs::path& file, std::string_view utf8) {
  AppendToFile(file, TextoAnsi(utf8));
}

fs::path ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return fs::path(path);
    }
    path.resize(path.size() * 2);
  }
}

void AppendToFile(const fs::path& file, std::string_view bytes) {
  Handle handle(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) ThrowIo("abrir", file, GetLastError());
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(handle.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                   &written, nullptr) ||
        written == 0)
      ThrowIo("gravar", file, GetLastError());
    done += written;
  }
  if (!handle.close()) ThrowIo("gravar", file, GetLastError());
}

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> result;
  const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return result;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    // Another user's process hides its executable; its file name is what the snapshot tells.
    std::string image = ProcessImage(entry.th32ProcessID);
    result.push_back({static_cast<int>(entry.th32ProcessID),
                      image.empty() ? Utf8(entry.szExeFile) : std::move(image)});
  }
  return result;
}

bool RequestProcessEnd(int pid) {
  const Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
  return process && TerminateProcess(process.get(), 1) != FALSE;
}

void PrepararMemoria() {}

int CurrentProcessId() {
  return static_cast<int>(GetCurrentProcessId());
}

std::string InstallerName() {
  return "Luvaro-install.exe";
}

bool DisplayAvailable() {
  // A service's window station cannot show anything; without a station nothing can either.
  const HWINSTA station = GetProcessWindowStation();
  if (station == nullptr) return false;
  USEROBJECTFLAGS flags{};
  if (!GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace luvaro::platform

namespace luvaro::platform {
namespace {

// Set once the program waits for its installer; read by the console control handler.
std::atomic<bool> g_requestsKeepExitCode{false};

BOOL WINAPI EndRequested(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      if (g_requestsKeepExitCode.load()) ExitProcess(static_cast<UINT>(GetExitCode()));
      // The system's own handler ends the process with a code that is never 0.
      return FALSE;
    default:
      return FALSE;
  }
}

// The installer's process: its handle tells when it ended, an event when the owner gives up.
class InstallerProcess final : public WatchedProcess {
 public:
  InstallerProcess(HANDLE process, HANDLE stop) noexcept : m_process(process), m_stop(stop) {}
  InstallerProcess(const InstallerProcess&) = delete;  // owns both handles
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  std::optional<int> WaitForExit() override {
    const HANDLE handles[] = {m_stop.get(), m_process.get()};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0 + 1) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.get(), &code)) return std::nullopt;
    return static_cast<int>(code);
  }

  void StopWaiting() noexcept override { SetEvent(m_stop.get()); }

 private:
  Handle m_process;
  Handle m_stop;
};

// A command-line argument quoted as the C runtime splits it.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

// The system's own command interpreter, by its full path: a "cmd.exe" planted in the working
// folder is never the one started.
std::wstring CommandInterpreter() {
  std::wstring folder(MAX_PATH, L'\0');
  const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return L"cmd.exe";
  folder.resize(length);
  return folder + L"\\cmd.exe";
}

}  // namespace

std::unique_ptr<WatchedProcess> StartInstaller(
    const fs::path& installer, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& extraEnv) {
  Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop) ThrowIo("acompanhar", installer, GetLastError());
  // The installer inherits this process's environment, which from here on only waits for it.
  for (const auto& [name, value] : extraEnv)
    SetEnvironmentVariableW(Utf16(name).c_str(), Utf16(value).c_str());
  // "cmd", hidden, runs the installer. Its path is always quoted (a folder such as
  // "C:\Program Files (x86)" would split it), /s makes cmd take the quoted command as it stands,
  // and "start /wait" keeps cmd until the installer has ended, so the process watched here is
  // the installer's lifetime even when the installer is a windowed program.
  std::wstring command = L"start \"\" /b /wait \"" + installer.wstring() + L"\"";
  for (const std::string& arg : args) command += L" " + Quoted(Utf16(arg));
  const std::wstring parameters = L"/d /s /c \"" + command + L"\"";
  const std::wstring interpreter = CommandInterpreter();
  const std::wstring folder = installer.parent_path().wstring();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = interpreter.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr)
    throw EDFeException("Falha ao iniciar \"" + Utf8(installer.wstring()) +
                        "\": " + SystemText(GetLastError()));
  return std::make_unique<InstallerProcess>(info.hProcess, stop.release());
}

void InstallEndRequestHandler() {
  SetConsoleCtrlHandler(&EndRequested, TRUE);
}

void EndRequestsKeepExitCode() noexcept {
  g_requestsKeepExitCode.store(true);
}

}  // namespace luvaro::platform
