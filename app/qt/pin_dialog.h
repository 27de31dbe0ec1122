#pragma once

#include <QDialog>
#include <QLineEdit>
#include <optional>

#include "dfe/front.h"

namespace luvaro {

// Asks for a token's PIN; the typed characters are masked.
class PinDialog final : public QDialog {
 public:
  static inline const char* const kTitle = "PIN do certificado";

  PinDialog(const PinRequest& request, QWidget* parent);

  QLineEdit* field() const { return m_field; }
  // The PIN once the dialog was accepted; the field is emptied when it is taken.
  std::optional<SecureString> TakePin();

 private:
  QLineEdit* m_field;  // owned by the dialog
};

}  // namespace luvaro
