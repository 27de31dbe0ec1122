// The main window on a real X server (run under xvfb-run): caption, geometry, placement, and
// a screenshot of the screen saved in the build tree.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "app/qt/main_window.h"
#include "tests/gui/qt_test_app.h"

namespace luvaro {
namespace {

bool HasWhite(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y).lightness() > 230) return true;
  return false;
}

TEST(MainWindowOnX, CaptionGeometryAndScreenshot) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  int activations = 0;
  TfrmPrincipal window([&] {
    ++activations;
    window.AtualizarStatus("Iniciando...");
  });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTRY_COMPARE(activations, 1);

  EXPECT_EQ(window.windowHandle()->title(), "Orvane A3 - Orvane ERP v1.14");
  const QRect frame = window.geometry();
  EXPECT_EQ(frame.size(), QSize(375, 126));
  const QRect screen = window.screen()->availableGeometry();
  EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);

  window.repaint();
  const QImage shot = window.screen()->grabWindow(0).toImage();
  ASSERT_FALSE(shot.isNull());
  ASSERT_TRUE(shot.save(QStringLiteral(LUVARO_SCREENSHOT_DIR "/luvaro_main_window.png")));

  const QPoint origin = window.mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(shot.pixelColor(origin + QPoint(4, 4)), QColor(13, 50, 70));
  EXPECT_EQ(shot.pixelColor(origin + QPoint(370, 120)), QColor(13, 50, 70));
  EXPECT_TRUE(HasWhite(shot, QRect(origin + QPoint(152, 9), QSize(64, 64))));   // spinner
  EXPECT_TRUE(HasWhite(shot, QRect(origin + QPoint(0, 88), QSize(375, 38))));   // status text
  EXPECT_FALSE(HasWhite(shot, QRect(origin + QPoint(0, 74), QSize(375, 10))));  // between
}

}  // namespace
}  // namespace luvaro
