#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace luvaro {

// The program's one window on Windows: a busy indicator (a marquee progress bar) and the
// one-line status text. The user cannot close it: Close is taken out of its window menu and a
// close request is ignored. It stays on top of other windows until its first activation, when
// the start-up begins; a window that is never activated starts after kStartWithoutActivationMs
// on screen, so the ERP never waits on a run that did not start.
//
// Made, used and destroyed on the GUI thread, except PostWake and PostQuit.
class TfrmPrincipal final {
 public:
  static constexpr int kClientWidth = 375;
  static constexpr int kClientHeight = 126;
  static constexpr const wchar_t* kCaption = L"Orvane A3 - Orvane ERP v1.14";
  static constexpr UINT kStartWithoutActivationMs = 1000;
  // The status label's control id, by which other programs (tests, screen readers) find it.
  static constexpr int kStatusId = 100;
  static constexpr int kIndicatorId = 101;

  // onStart: the start-up, run once on the GUI thread outside any other message's handling
  // (it may open modal dialogs). onWake: runs on the GUI thread after each PostWake.
  TfrmPrincipal(std::function<void()> onStart, std::function<void()> onWake);
  ~TfrmPrincipal();
  TfrmPrincipal(const TfrmPrincipal&) = delete;  // the window procedure refers to this object
  TfrmPrincipal& operator=(const TfrmPrincipal&) = delete;

  HWND Handle() const noexcept { return m_window; }

  // Sets the caption, shows the window and starts the wait for its first activation.
  void Show();

  // Replaces the status text (the main window's status setter).
  void AtualizarStatus(const std::string& pStatus);

  // Any thread: onWake runs on the GUI thread soon.
  void PostWake() const noexcept;
  // Any thread: the GUI thread's message loop ends once the current message was handled.
  void PostQuit() const noexcept;

  // After the message loop: rethrows what the start-up or a queued task raised, which ended the
  // loop (nothing else may leave a window procedure).
  void RethrowFailure() const;


 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void StartOnce();
  void Guarded(const std::function<void()>& task) noexcept;

  std::function<void()> m_onStart;
  std::function<void()> m_onWake;
  HINSTANCE m_instance;
  HBRUSH m_background = nullptr;  // owned; the class's and the label's background
  HFONT m_windowFont = nullptr;   // owned
  HFONT m_statusFont = nullptr;   // owned
  HWND m_window = nullptr;        // owned; destroyed with its children
  HWND m_indicator = nullptr;
  HWND m_lbStatus = nullptr;
  bool m_activated = false;
  bool m_started = false;
  std::exception_ptr m_failure;
};

}  // namespace luvaro
