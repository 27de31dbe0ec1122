// window-probe: looks at the windows of a running Luvaro.exe from outside, as a user would,
// and presses their buttons, for the window tests under Wine and Xvfb.
//   window-probe status                       the main window's status text
//   window-probe wait-status <text> <ms>      waits until the status text is <text>
//   window-probe wait-window <title> <ms>     waits until a visible window has that title
//   window-probe buttons <title>              the buttons of that window, one per line, the
//                                             default one marked with "*"
//   window-probe press <title> <id>           presses the button <id> of that window
//   window-probe select-first <title>         selects the first line of that window's list
//   window-probe import <name>                puts <name>.pfx of LUVARO_TEST_CERTS into "My"
//   window-probe remove <name>                takes it out again
// Texts are UTF-8. Exit code 0 on success, 1 when the window or text did not come in time.

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/main_window.h"
#include "dfe/platform/windows/windows_text.h"
#include "tests/windows/support/store_import.h"

namespace {

using luvaro::TfrmPrincipal;
using luvaro::Utf16;
using luvaro::Utf8;

std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  // WM_GETTEXT crosses processes; a hung window must not hang the probe.
  if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return {};
  return std::wstring(buffer, copied);
}

struct Search {
  std::wstring title;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(window)) return TRUE;
  if (search->windowClass != nullptr) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    if (std::wstring(name) != search->windowClass) return TRUE;
  }
  if (!search->title.empty() && TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(const std::wstring& title, const wchar_t* windowClass = nullptr) {
  Search search{title, windowClass, nullptr};
  EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Status() {
  const HWND main = FindTopLevel(L"", L"LuvaroPrincipal");
  if (main == nullptr) return "(sem janela)";
  return Utf8(TextOf(GetDlgItem(main, TfrmPrincipal::kStatusId)));
}

// Polls until `ready` holds or the time is up: the probe watches another process's windows,
// which offer nothing to wait on.
template <typename Ready>
bool WaitFor(int milliseconds, Ready ready) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

BOOL CALLBACK ListButton(HWND child, LPARAM) {
  wchar_t name[64] = {};
  GetClassNameW(child, name, static_cast<int>(std::size(name)));
  if (_wcsicmp(name, L"Button") != 0 || !IsWindowVisible(child)) return TRUE;
  const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
  const bool isDefault = (style & 0x0F) == BS_DEFPUSHBUTTON;
  Print(std::to_string(GetDlgCtrlID(child)) + " " + Utf8(TextOf(child)) + (isDefault ? " *" : ""));
  return TRUE;
}

BOOL CALLBACK FindList(HWND child, LPARAM data) {
  wchar_t name[64] = {};
  GetClassNameW(child, name, static_cast<int>(std::size(name)));
  if (_wcsicmp(name, WC_LISTVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(data) = child;
  return FALSE;
}

int Run(const std::vector<std::string>& args) {
  const std::string command = args.empty() ? "" : args[0];
  if (command == "status" && args.size() == 1) {
    Print(Status());
    return 0;
  }
  if (command == "wait-status" && args.size() == 3) {
    const bool ok = WaitFor(std::stoi(args[2]), [&] { return Status() == args[1]; });
    if (!ok) Print(Status());
    return ok ? 0 : 1;
  }
  if (command == "wait-window" && args.size() == 3)
    return WaitFor(std::stoi(args[2]), [&] { return FindTopLevel(Utf16(args[1])) != nullptr; }) ? 0
                                                                                                : 1;
  if (command == "buttons" && args.size() == 2) {
    const HWND window = FindTopLevel(Utf16(args[1]));
    if (window == nullptr) return 1;
    EnumChildWindows(window, &ListButton, 0);
    return 0;
  }
  if (command == "press" && args.size() == 3) {
    const HWND window = FindTopLevel(Utf16(args[1]));
    if (window == nullptr) return 1;
    const int id = std::stoi(args[2]);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    return 0;
  }
  if (command == "select-first" && args.size() == 2) {
    const HWND window = FindTopLevel(Utf16(args[1]));
    HWND list = nullptr;
    if (window != nullptr) EnumChildWindows(window, &FindList, reinterpret_cast<LPARAM>(&list));
    if (list == nullptr) return 1;
    // As a user does: the list gets the focus, the first line the selection (keyboard).
    PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    PostMessageW(list, WM_KEYUP, VK_HOME, 0);
    return 0;
  }
  if (command == "import" && args.size() == 2) {
    luvaro::test::ImportarNoMy(args[1]);
    return 0;
  }
  if (command == "remove" && args.size() == 2) {
    luvaro::test::RemoverDoMy(luvaro::test::Certificate(args[1]).serial);
    return 0;
  }
  std::cerr << "uso: window-probe status | wait-status <texto> <ms> | wait-window <titulo> <ms>"
               " | buttons <titulo> | press <titulo> <id> | select-first <titulo>"
               " | import <nome> | remove <nome>\n";
  return 2;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
  LocalFree(argv);
  try {
    return Run(args);
  } catch (const std::exception& e) {
    std::cerr << "window-probe: " << e.what() << "\n";
    return 1;
  }
}
