#include "app/qt/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace luvaro {
namespace {

// Families in order of preference; the first one installed is used.
const QStringList kWindowFonts{"Tahoma", "Verdana", "DejaVu Sans", "Sans Serif"};
const QStringList kStatusFonts{"Comic Sans MS", "Comic Neue", "Comic Relief", "DejaVu Sans",
                               "Sans Serif"};

}  // namespace

TfrmPrincipal::TfrmPrincipal(std::function<void()> onFirstActivation,
                             std::chrono::milliseconds pStartWithoutActivation)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowStaysOnTopHint),
      m_onFirstActivation(std::move(onFirstActivation)),
      m_startWithoutActivation(pStartWithoutActivation),
      m_indicator(new BusyIndicator(this)),
      m_lbStatus(new QLabel(this)) {
  setFixedSize(kClientWidth, kClientHeight);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(13, 50, 70));
  setPalette(palette);
  setAutoFillBackground(true);
  QFont font;
  font.setFamilies(kWindowFonts);
  font.setPixelSize(11);
  setFont(font);

  m_indicator->move(152, 9);

  QFont statusFont;
  statusFont.setFamilies(kStatusFonts);
  statusFont.setPixelSize(19);
  statusFont.setBold(true);
  m_lbStatus->setFont(statusFont);
  QPalette labelPalette = m_lbStatus->palette();
  labelPalette.setColor(QPalette::WindowText, Qt::white);
  m_lbStatus->setPalette(labelPalette);
  m_lbStatus->setAlignment(Qt::AlignCenter);
  m_lbStatus->setGeometry(-10, 88, 377, 38);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TfrmPrincipal::AtualizarStatus(const QString& pStatus) {
  m_lbStatus->setText(pStatus);
}

void TfrmPrincipal::showEvent(QShowEvent* event) {
  setWindowTitle(QString::fromUtf8(kCaption));
  QWidget::showEvent(event);
  activateWindow();
  QTimer::singleShot(m_startWithoutActivation, this, [this] { StartOnce(); });
}

bool TfrmPrincipal::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !m_activated) {
    m_activated = true;
    StartOnce();
    QTimer::singleShot(0, this, [this] {
      if (QWindow* window = windowHandle()) window->setFlag(Qt::WindowStaysOnTopHint, false);
    });
  }
  return QWidget::event(event);
}

void TfrmPrincipal::StartOnce() {
  if (m_started) return;
  m_started = true;
  // Leave the current event first: the start-up may open modal dialogs.
  QTimer::singleShot(0, this, [this] {
    if (m_onFirstActivation) m_onFirstActivation();
  });
}

void TfrmPrincipal::closeEvent(QCloseEvent* event) {
  event->ignore();  // the run ends the program, never the user
}

}  // namespace luvaro
