#include "app/qt/busy_indicator.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace luvaro {
namespace {

constexpr int kDots = 8;

}  // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent), m_timer(this) {
  setFixedSize(kSize, kSize);
  setAttribute(Qt::WA_TranslucentBackground);
  m_timer.setInterval(kFrameMs);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    m_frame = (m_frame + 1) % kFrames;
    update();
  });
  m_timer.start();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QPointF centre(kSize / 2.0, kSize / 2.0);
  const double orbit = kSize / 2.0 - 7.0;
  const double head = 2.0 * std::numbers::pi * m_frame / kFrames;
  for (int i = 0; i < kDots; ++i) {
    // The leading dot is solid and largest; the trailing ones fade.
    const double angle = head - i * (2.0 * std::numbers::pi / (kDots * 1.6));
    const double radius = 5.0 - i * 0.4;
    QColor colour(Qt::white);
    colour.setAlphaF(1.0 - static_cast<double>(i) / kDots);
    painter.setBrush(colour);
    const QPointF at(centre.x() + orbit * std::sin(angle), centre.y() - orbit * std::cos(angle));
    painter.drawEllipse(at, radius, radius);
  }
}

}  // namespace luvaro
