// The main window and the hand-off of worker calls to the GUI thread, offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <thread>

#include "app/core/main_thread_queue.h"
#include "app/core/mensagem.h"
#include "app/core/silent_abort.h"
#include "app/qt/main_window.h"
#include "app/qt/qt_front.h"
#include "app/window_run.h"
#include "tests/gui/qt_test_app.h"

namespace luvaro {
namespace {

TEST(MainWindow, LayoutColoursAndFonts) {
  TfrmPrincipal window({});
  EXPECT_EQ(window.size(), QSize(375, 126));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());  // fixed border
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(13, 50, 70));
  EXPECT_EQ(window.font().families().value(0), "Tahoma");
  EXPECT_EQ(window.font().pixelSize(), 11);

  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

  QLabel* label = window.lbStatus();
  EXPECT_EQ(label->geometry(), QRect(-10, 88, 377, 38));
  EXPECT_EQ(label->alignment(), Qt::AlignCenter);
  EXPECT_TRUE(label->font().bold());
  EXPECT_EQ(label->font().pixelSize(), 19);
  EXPECT_EQ(label->font().families().value(0), "Comic Sans MS");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));

  BusyIndicator* indicator = window.indicator();
  EXPECT_EQ(indicator->geometry(), QRect(152, 9, 64, 64));
  EXPECT_EQ(indicator->timer().interval(), 20);
  EXPECT_TRUE(indicator->timer().isActive());
  const int frame = indicator->frame();
  QSignalSpy tick(&indicator->timer(), &QTimer::timeout);
  ASSERT_TRUE(tick.wait());
  EXPECT_NE(indicator->frame(), frame);
}

TEST(MainWindow, CaptionOnShowStartUpOnFirstActivationAndNoClosing) {
  int activations = 0;
  TfrmPrincipal window([&activations] { ++activations; });
  EXPECT_TRUE(window.windowTitle().isEmpty());
  window.show();
  EXPECT_EQ(window.windowTitle(), "Orvane A3 - Orvane ERP v1.14");
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTRY_COMPARE(activations, 1);
  EXPECT_FALSE(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);

  window.close();
  EXPECT_TRUE(window.isVisible());  // the user cannot close it

  window.AtualizarStatus("Buscando eventos...");
  EXPECT_EQ(window.lbStatus()->text(), "Buscando eventos...");
  QApplication::setActiveWindow(nullptr);
  window.activateWindow();
  QCoreApplication::processEvents();
  EXPECT_EQ(activations, 1);  // only the first activation starts the run
}

// A window manager that prevents focus stealing never activates the window: the start-up
// still begins once the window has been shown for a while.
TEST(MainWindow, StartsWithoutActivationAfterBeingShown) {
  // Stands for such a window manager: the window never learns of an activation.
  struct NoActivation final : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      return event->type() == QEvent::WindowActivate;
    }
  } noActivation;
  int starts = 0;
  TfrmPrincipal window([&starts] { ++starts; }, std::chrono::milliseconds(200));
  window.installEventFilter(&noActivation);
  QCoreApplication::processEvents();
  EXPECT_FALSE(window.started()) << "not before it is shown";
  window.show();
  QTRY_COMPARE_WITH_TIMEOUT(starts, 1, 5000);
  EXPECT_FALSE(window.activated());
  EXPECT_TRUE(window.started());
}

// A worker's status and stop-flag message run on the GUI thread; the abort comes back.
TEST(QtFront, WorkerCallsAreHandedToTheGuiThread) {
  MainThreadQueue queue;
  QueueWindowHost host(queue);
  TfrmPrincipal window({});
  QtFront front(host, window);
  host.Attach(front);

  // Answers every message box as soon as it is up, as a user pressing Enter would.
  int dialogsShown = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&dialogsShown] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++dialogsShown;
      EXPECT_EQ(box->windowTitle(), "Erro");
      EXPECT_EQ(box->text(), "Falha no envio.\n\nERRO: detalhe");
      QTest::keyClick(box, Qt::Key_Return);
    }
  });
  closer.start(5);

  std::atomic<bool> statusReturned{false};
  std::atomic<bool> aborted{false};
  std::atomic<bool> continued{false};
  std::thread worker([&] {
    front.ShowStatus("Enviando eventos...");
    statusReturned = true;
    try {
      const std::runtime_error detail("detalhe");
      TMensagem::mostrarMsgErro(front, queue, "Falha no envio.", true, &detail);
      continued = true;
    } catch (const TSilentAbort&) {
      aborted = true;
    }
  });
  front.Exec();  // the program's loop, quit by the stop flag's terminate request
  queue.Close();
  worker.join();

  EXPECT_TRUE(statusReturned);
  EXPECT_EQ(window.lbStatus()->text(), "Enviando eventos...");
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_TRUE(aborted);
  EXPECT_FALSE(continued);
  EXPECT_TRUE(queue.TerminateRequested());
}

}  // namespace
}  // namespace luvaro
