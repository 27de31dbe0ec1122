#pragma once

#include <QTimer>
#include <QWidget>

namespace luvaro {

// The spinning busy indicator of the main window: white dots running round a circle, one
// frame every 20 ms, 64 x 64 pixels (the extra-large size).
class BusyIndicator final : public QWidget {
 public:
  static constexpr int kSize = 64;
  static constexpr int kFrameMs = 20;
  static constexpr int kFrames = 60;  // frames per revolution

  explicit BusyIndicator(QWidget* parent);

  int frame() const { return m_frame; }
  const QTimer& timer() const { return m_timer; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer m_timer;
  int m_frame = 0;
};

}  // namespace luvaro
