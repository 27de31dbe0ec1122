#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

#include "app/qt/busy_indicator.h"

namespace luvaro {

// The program's one window: a busy indicator and the one-line status text. It cannot be
// closed by the user; it stays on top of other windows until its first activation, when the
// start-up begins.
class TfrmPrincipal final : public QWidget {
 public:
  static constexpr int kClientWidth = 375;
  static constexpr int kClientHeight = 126;
  static inline const char* const kCaption = "Orvane A3 - Orvane ERP v1.14";

  explicit TfrmPrincipal(std::function<void()> onFirstActivation);

  // Replaces the status text (the main window's status setter).
  void AtualizarStatus(const QString& pStatus);

  QLabel* lbStatus() const { return m_lbStatus; }
  BusyIndicator* indicator() const { return m_indicator; }
  bool activated() const { return m_activated; }

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> m_onFirstActivation;
  BusyIndicator* m_indicator;  // owned by this widget
  QLabel* m_lbStatus;          // owned by this widget
  bool m_activated = false;
};

}  // namespace luvaro
