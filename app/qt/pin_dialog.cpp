#include "app/qt/pin_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace luvaro {

PinDialog::PinDialog(const PinRequest& request, QWidget* parent)
    : QDialog(parent), m_field(new QLineEdit(this)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  auto* layout = new QVBoxLayout(this);
  const QString text =
      QStringLiteral("Informe o PIN do token \"%1\" para usar o certificado \"%2\":")
          .arg(QString::fromUtf8(request.tokenLabel), QString::fromUtf8(request.certificateName));
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  layout->addWidget(label);
  m_field->setEchoMode(QLineEdit::Password);
  layout->addWidget(m_field);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Ok"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  m_field->setFocus();
}

std::optional<SecureString> PinDialog::TakePin() {
  std::optional<SecureString> pin;
  if (result() == QDialog::Accepted) {
    QByteArray bytes = m_field->text().toUtf8();
    pin = SecureString(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    bytes.fill('\0');
  }
  m_field->clear();
  return pin;
}

}  // namespace luvaro
