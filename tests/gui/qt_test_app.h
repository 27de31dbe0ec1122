#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

namespace luvaro::test {

// One QApplication for the whole test program, made before the first test and destroyed after
// the last.
class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "luvaro-gui-test";
    static char* argv[] = {name, nullptr};
    m_app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { m_app.reset(); }

 private:
  std::unique_ptr<QApplication> m_app;
};

// Runs `act` once on the modal dialog that the code under test opens, as soon as that dialog
// is up and active (checked every few milliseconds while the dialog's own loop runs).
inline void WhenModalUp(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(qApp);  // parented: ends with the application at the latest
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (!modal->isActiveWindow()) {
      modal->activateWindow();
      return;
    }
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start(2);
}

inline const bool kQtEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment), true);

}  // namespace luvaro::test
