#include "app/qt/message_box.h"

#include <QPushButton>
#include <algorithm>

#include "app/core/botoes.h"

namespace luvaro {
namespace {

QMessageBox::Icon IconOf(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return QMessageBox::Warning;
    case DialogType::Error:
      return QMessageBox::Critical;
    case DialogType::Information:
      return QMessageBox::Information;
    case DialogType::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The standard button of the same meaning; "All" has none and is added with its role.
QMessageBox::StandardButton StandardOf(DialogButton button) {
  switch (button) {
    case DialogButton::Ok:
      return QMessageBox::Ok;
    case DialogButton::Cancel:
      return QMessageBox::Cancel;
    case DialogButton::Abort:
      return QMessageBox::Abort;
    case DialogButton::Retry:
      return QMessageBox::Retry;
    case DialogButton::Ignore:
      return QMessageBox::Ignore;
    case DialogButton::Yes:
      return QMessageBox::Yes;
    case DialogButton::No:
      return QMessageBox::No;
    case DialogButton::NoToAll:
      return QMessageBox::NoToAll;
    case DialogButton::YesToAll:
      return QMessageBox::YesToAll;
    case DialogButton::All:
      return QMessageBox::NoButton;
  }
  return QMessageBox::NoButton;
}

}  // namespace

QString DialogText(const std::string& text) {
  QString result = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

BuiltMessageBox BuildMessageBox(const DialogRequest& request, QWidget* owner) {
  BuiltMessageBox built;
  built.box = std::make_unique<QMessageBox>(owner);
  QMessageBox& box = *built.box;
  box.setIcon(IconOf(request.type));
  box.setWindowTitle(QString::fromUtf8(request.title));
  box.setText(DialogText(request.text));
  box.setTextFormat(Qt::PlainText);

  std::vector<DialogButton> buttons = request.buttons;
  if (buttons.empty()) buttons.push_back(DialogButton::Ok);
  QHash<int, QPushButton*> byResult;
  for (DialogButton b : buttons) {
    const QString caption =
        QString::fromUtf8(CaptionBotao(b).data(), static_cast<qsizetype>(CaptionBotao(b).size()));
    QPushButton* button = nullptr;
    if (const QMessageBox::StandardButton standard = StandardOf(b);
        standard != QMessageBox::NoButton) {
      button = box.addButton(standard);
      button->setText(caption);
    } else {
      button = box.addButton(caption, QMessageBox::YesRole);
    }
    built.results.insert(button, static_cast<int>(b));
    byResult.insert(static_cast<int>(b), button);
  }

  const bool hasDefault =
      std::find(buttons.begin(), buttons.end(), request.defaultButton) != buttons.end();
  QPushButton* defaultButton =
      byResult.value(static_cast<int>(hasDefault ? request.defaultButton : buttons.front()));
  box.setDefaultButton(defaultButton);

  for (DialogButton escape : {DialogButton::Cancel, DialogButton::No, DialogButton::Ok}) {
    if (QPushButton* button = byResult.value(static_cast<int>(escape))) {
      box.setEscapeButton(button);
      built.escapeResult = static_cast<int>(escape);
      break;
    }
  }
  return built;
}

int ExecMessageBox(BuiltMessageBox& built) {
  built.box->exec();
  QAbstractButton* clicked = built.box->clickedButton();
  return clicked && built.results.contains(clicked) ? built.results.value(clicked)
                                                    : built.escapeResult;
}

}  // namespace luvaro
