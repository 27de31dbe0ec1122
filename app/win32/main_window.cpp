#include "app/win32/main_window.h"

#include <commctrl.h>

#include <utility>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/windows_text.h"

namespace luvaro {
namespace {

constexpr const wchar_t* kWindowClass = L"LuvaroPrincipal";
constexpr COLORREF kBackground = RGB(13, 50, 70);

// Private messages of the window: the main-thread queue's wake-up, the end of the loop, and the
// start-up once the activation message has been handled.
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr UINT kQuitMessage = WM_APP + 2;
constexpr UINT kStartMessage = WM_APP + 3;
constexpr UINT_PTR kStartTimer = 1;

// The busy indicator: a marquee bar where the designed spinner stood, 30 ms per step.
constexpr int kIndicatorLeft = 37;
constexpr int kIndicatorTop = 36;
constexpr int kIndicatorWidth = 300;
constexpr int kIndicatorHeight = 18;
constexpr UINT kMarqueeStepMs = 30;

[[noreturn]] void ThrowWindowFailure(const char* what) {
  throw EDFeException(std::string("Não foi possível criar a janela do programa (") + what +
                      "): " + SystemMessage(GetLastError()));
}

HFONT MakeFont(int pixels, int weight, const wchar_t* family) {
  return CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, family);
}

}  // namespace

TfrmPrincipal::TfrmPrincipal(std::function<void()> onStart, std::function<void()> onWake)
    : m_onStart(std::move(onStart)),
      m_onWake(std::move(onWake)),
      m_instance(GetModuleHandleW(nullptr)) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  m_background = CreateSolidBrush(kBackground);
  m_windowFont = MakeFont(11, FW_NORMAL, L"Tahoma");
  m_statusFont = MakeFont(19, FW_BOLD, L"Comic Sans MS");

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TfrmPrincipal::WindowProc;
  windowClass.hInstance = m_instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = m_background;
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) ThrowWindowFailure("RegisterClassExW");

  // Single fixed border, the window menu only (no minimise or maximise), a taskbar button of
  // its own, on top until the first activation.
  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD exStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;

  m_window = CreateWindowExW(exStyle, kWindowClass, L"", style, left, top, width, height, nullptr,
                             nullptr, m_instance, this);
  if (m_window == nullptr) {
    UnregisterClassW(kWindowClass, m_instance);
    ThrowWindowFailure("CreateWindowExW");
  }
  // The user cannot close the window: only the run ends the program.
  DeleteMenu(GetSystemMenu(m_window, FALSE), SC_CLOSE, MF_BYCOMMAND);
  CreateControls();
}

TfrmPrincipal::~TfrmPrincipal() {
  if (m_window != nullptr) DestroyWindow(m_window);
  UnregisterClassW(kWindowClass, m_instance);
  if (m_statusFont != nullptr) DeleteObject(m_statusFont);
  if (m_windowFont != nullptr) DeleteObject(m_windowFont);
  if (m_background != nullptr) DeleteObject(m_background);
}

void TfrmPrincipal::CreateControls() {
  SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_windowFont), FALSE);
  m_indicator = CreateWindowExW(
      0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, kIndicatorLeft, kIndicatorTop,
      kIndicatorWidth, kIndicatorHeight, m_window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIndicatorId)), m_instance, nullptr);
  if (m_indicator != nullptr) SendMessageW(m_indicator, PBM_SETMARQUEE, TRUE, kMarqueeStepMs);

  // Centred both ways in one line, white bold text on the window's colour.
  m_lbStatus = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, -10, 88,
      377, 38, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), m_instance,
      nullptr);
  if (m_lbStatus == nullptr) ThrowWindowFailure("STATIC");
  SendMessageW(m_lbStatus, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont), FALSE);
}

void TfrmPrincipal::Show() {
  SetWindowTextW(m_window, kCaption);
  ShowWindow(m_window, SW_SHOWNORMAL);
  UpdateWindow(m_window);
  SetForegroundWindow(m_window);
  SetTimer(m_window, kStartTimer, kStartWithoutActivationMs, nullptr);
}

void TfrmPrincipal::AtualizarStatus(const std::string& pStatus) {
  SetWindowTextW(m_lbStatus, Utf16(pStatus).c_str());
}

void TfrmPrincipal::PostWake() const noexcept {
  PostMessageW(m_window, kWakeMessage, 0, 0);
}

void TfrmPrincipal::PostQuit() const noexcept {
  PostMessageW(m_window, kQuitMessage, 0, 0);
}

void TfrmPrincipal::StartOnce() {
  if (m_started) return;
  m_started = true;
  KillTimer(m_window, kStartTimer);
  // Leave the current message first: the start-up may open modal dialogs.
  PostMessageW(m_window, kStartMessage, 0, 0);
}

void TfrmPrincipal::Guarded(const std::function<void()>& task) noexcept {
  if (!task) return;
  try {
    task();
  } catch (...) {
    // No exception crosses the system's message dispatch: the loop ends and Exec's caller
    // receives it.
    if (!m_failure) m_failure = std::current_exception();
    PostQuitMessage(1);
  }
}

void TfrmPrincipal::RethrowFailure() const {
  if (m_failure) std::rethrow_exception(m_failure);
}

LRESULT CALLBACK TfrmPrincipal::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TfrmPrincipal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->m_window == nullptr)
    return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT TfrmPrincipal::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kWakeMessage:
      Guarded(m_onWake);
      return 0;
    case kQuitMessage:
      PostQuitMessage(0);
      return 0;
    case kStartMessage:
      Guarded(m_onStart);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !m_activated) {
        m_activated = true;
        StartOnce();
        // On top until the first activation, a normal window afterwards.
        SetWindowPos(m_window, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      break;
    case WM_TIMER:
      if (wParam == kStartTimer) {
        StartOnce();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, kBackground);
      return reinterpret_cast<LRESULT>(m_background);
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
    case WM_CLOSE:
      return 0;  // the run ends the program, never the user
    default:
      break;
  }
  return DefWindowProcW(m_window, message, wParam, lParam);
}

}  // namespace luvaro
