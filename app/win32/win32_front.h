#pragma once

#include <memory>

#include "app/window_front.h"

namespace luvaro {

// The Win32 front: the main window, MessageBoxW dialogs and cryptui's certificate selection.
// Every front call runs on the GUI thread: from another thread it is handed over through the
// host's Synchronize (the queued task wakes the window with a private message) and the caller
// waits; whatever the call raises comes back to the caller. Made on the GUI thread.
std::unique_ptr<IWindowFront> CreateWin32Front(IWindowHost& host);

}  // namespace luvaro
