#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dfe/front.h"

namespace luvaro {

// A message dialog as MessageBoxW shows it: the style flags (buttons, icon, default button) and
// the buttons in the order the system lays them out.
struct MessageBoxLayout {
  UINT flags = 0;
  std::vector<DialogButton> buttons;
  DialogButton defaultButton = DialogButton::Ok;
};

// The system's button set that holds exactly the requested buttons (MessageBoxW has no "All",
// "No to all" or "Yes to all", and no set of its own for other combinations: those fall back to
// OK alone), the icon of the dialog type, and the requested default button (the first button
// when the request's default is not among them).
MessageBoxLayout LayoutOf(const DialogRequest& request);

// The text as a Windows control shows it: every lone CR becomes CR LF.
std::wstring DialogText(const std::string& text);

// Shows the dialog modally over `owner` with the program's Portuguese captions on its buttons
// and the arrow cursor while it is up; returns the pressed button's result (the default
// button's when the system cannot show the dialog).
int ShowMessageBox(HWND owner, const DialogRequest& request);

}  // namespace luvaro
