#pragma once

#include <QHash>
#include <QMessageBox>
#include <memory>

#include "dfe/front.h"

namespace luvaro {

// A built message dialog and the result of each of its buttons.
struct BuiltMessageBox {
  std::unique_ptr<QMessageBox> box;
  QHash<QAbstractButton*, int> results;
  int escapeResult = static_cast<int>(DialogButton::Cancel);
};

// The platform's standard message dialog for the request: icon by type, title, text (CRs as
// line breaks), Portuguese captions with their access keys, buttons in the platform's order,
// the default button focused. Escape (or the title bar) answers Cancel when shown, else No,
// else OK.
BuiltMessageBox BuildMessageBox(const DialogRequest& request, QWidget* owner);

// Shows it modally; the pressed button's result.
int ExecMessageBox(BuiltMessageBox& built);

// Qt text of a dialog text whose line breaks are CRs (or CR LF).
QString DialogText(const std::string& text);

}  // namespace luvaro
