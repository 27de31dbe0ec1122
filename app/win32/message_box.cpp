#include "app/win32/message_box.h"

#include <algorithm>
#include <array>
#include <utility>

#include "app/core/botoes.h"
#include "dfe/platform/windows/windows_text.h"

namespace luvaro {
namespace {

struct ButtonSet {
  UINT flags;
  std::array<DialogButton, 3> order;
  std::size_t count;
};

// MessageBoxW's button sets, each in the order the system lays it out.
constexpr ButtonSet kButtonSets[] = {
    {MB_OK, {DialogButton::Ok}, 1},
    {MB_OKCANCEL, {DialogButton::Ok, DialogButton::Cancel}, 2},
    {MB_ABORTRETRYIGNORE, {DialogButton::Abort, DialogButton::Retry, DialogButton::Ignore}, 3},
    {MB_YESNOCANCEL, {DialogButton::Yes, DialogButton::No, DialogButton::Cancel}, 3},
    {MB_YESNO, {DialogButton::Yes, DialogButton::No}, 2},
    {MB_RETRYCANCEL, {DialogButton::Retry, DialogButton::Cancel}, 2},
};

constexpr UINT kDefaultButtonFlags[] = {MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};

UINT IconOf(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return MB_ICONWARNING;
    case DialogType::Error:
      return MB_ICONERROR;
    case DialogType::Information:
      return MB_ICONINFORMATION;
    case DialogType::Confirmation:
      return MB_ICONQUESTION;
  }
  return 0;
}

bool SameButtons(const ButtonSet& set, std::vector<DialogButton> requested) {
  std::sort(requested.begin(), requested.end());
  requested.erase(std::unique(requested.begin(), requested.end()), requested.end());
  std::vector<DialogButton> offered(set.order.begin(), set.order.begin() + set.count);
  std::sort(offered.begin(), offered.end());
  return requested == offered;
}

// The dialog being shown by this thread, for the hook that captions its buttons. Set and
// cleared around the one MessageBoxW call; a dialog shown from inside it belongs to no
// request of ours.
thread_local const MessageBoxLayout* t_captioning = nullptr;

LRESULT CALLBACK CaptionButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && t_captioning != nullptr) {
    const HWND dialog = reinterpret_cast<HWND>(wParam);
    for (const DialogButton button : t_captioning->buttons)
      SetDlgItemTextW(dialog, static_cast<int>(button), Utf16(CaptionBotao(button)).c_str());
    t_captioning = nullptr;  // only the message box itself, not what opens over it later
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Removes the thread's caption hook on every way out of the call.
class CaptionHook {
 public:
  explicit CaptionHook(const MessageBoxLayout& layout)
      : m_hook(SetWindowsHookExW(WH_CBT, &CaptionButtons, nullptr, GetCurrentThreadId())) {
    t_captioning = &layout;
  }
  ~CaptionHook() {
    t_captioning = nullptr;
    if (m_hook != nullptr) UnhookWindowsHookEx(m_hook);
  }
  CaptionHook(const CaptionHook&) = delete;  // unhooks exactly once
  CaptionHook& operator=(const CaptionHook&) = delete;

 private:
  HHOOK m_hook;
};

// Shows the arrow while a dialog is up and gives back whatever cursor was there before.
class ArrowCursor {
 public:
  ArrowCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_ARROW))) {}
  ~ArrowCursor() { SetCursor(m_previous); }
  ArrowCursor(const ArrowCursor&) = delete;  // restores exactly once
  ArrowCursor& operator=(const ArrowCursor&) = delete;

 private:
  HCURSOR m_previous;
};

}  // namespace

MessageBoxLayout LayoutOf(const DialogRequest& request) {
  const ButtonSet* chosen = &kButtonSets[0];
  for (const ButtonSet& set : kButtonSets) {
    if (SameButtons(set, request.buttons)) {
      chosen = &set;
      break;
    }
  }
  MessageBoxLayout layout;
  layout.buttons.assign(chosen->order.begin(), chosen->order.begin() + chosen->count);
  const auto position =
      std::find(layout.buttons.begin(), layout.buttons.end(), request.defaultButton);
  const std::size_t defaultIndex =
      position == layout.buttons.end()
          ? 0
          : static_cast<std::size_t>(position - layout.buttons.begin());
  layout.defaultButton = layout.buttons[defaultIndex];
  layout.flags = chosen->flags | IconOf(request.type) | kDefaultButtonFlags[defaultIndex];
  return layout;
}

std::wstring DialogText(const std::string& text) {
  const std::wstring wide = Utf16(text);
  std::wstring result;
  result.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    result += wide[i];
    if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) result += L'\n';
  }
  return result;
}

int ShowMessageBox(HWND owner, const DialogRequest& request) {
  const MessageBoxLayout layout = LayoutOf(request);
  const std::wstring text = DialogText(request.text);
  const std::wstring title = Utf16(request.title);
  ArrowCursor cursor;
  CaptionHook hook(layout);
  const int result =
      MessageBoxW(owner, text.c_str(), title.c_str(), layout.flags | MB_SETFOREGROUND);
  return result != 0 ? result : static_cast<int>(layout.defaultButton);
}

}  // namespace luvaro
