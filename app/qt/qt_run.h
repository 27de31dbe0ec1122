#pragma once

#include <memory>

#include "app/window_front.h"

namespace luvaro {

// The whole Qt front of a run: the application object, the main window (whose first activation
// calls the host's Activated()) and the front. The process's only application object.
std::unique_ptr<IWindowFront> CreateQtFront(int& argc, char** argv, IWindowHost& host);

}  // namespace luvaro
