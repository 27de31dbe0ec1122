#pragma once

#include <QLabel>
#include <QWidget>
#include <chrono>
#include <functional>

#include "app/qt/busy_indicator.h"

namespace luvaro {

// The program's one window: a busy indicator and the one-line status text. It cannot be
// closed by the user; it stays on top of other windows until its first activation, when the
// start-up begins. A window manager that prevents focus stealing may never activate it: then
// the start-up begins once the window has been shown for pStartWithoutActivation, so the ERP
// never waits on a run that did not start.
class TfrmPrincipal final : public QWidget {
 public:
  static constexpr int kClientWidth = 375;
  static constexpr int kClientHeight = 126;
  static inline const char* const kCaption = "Orvane A3 - Orvane ERP v1.14";
  static constexpr std::chrono::milliseconds kStartWithoutActivation{1000};

  explicit TfrmPrincipal(
      std::function<void()> onFirstActivation,
      std::chrono::milliseconds pStartWithoutActivation = kStartWithoutActivation);

  // Replaces the status text (the main window's status setter).
  void AtualizarStatus(const QString& pStatus);

  QLabel* lbStatus() const { return m_lbStatus; }
  BusyIndicator* indicator() const { return m_indicator; }
  bool activated() const { return m_activated; }
  // Whether the start-up has begun (by activation or by the time shown).
  bool started() const { return m_started; }

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs the start-up once, after the current event has been handled.
  void StartOnce();

  std::function<void()> m_onFirstActivation;
  std::chrono::milliseconds m_startWithoutActivation;
  BusyIndicator* m_indicator;  // owned by this widget
  QLabel* m_lbStatus;          // owned by this widget
  bool m_activated = false;
  bool m_started = false;
};

}  // namespace luvaro
