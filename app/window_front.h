#pragma once

#include <functional>
#include <memory>

#include "dfe/front.h"

namespace luvaro {

// The seam between the program and its window front. The window front (Qt) lives in a module
// of its own that the program loads only when a window will open, so a headless run never maps
// the GUI libraries. Nothing crosses this seam but these two classes: the module holds no part
// of the program's core (start-up, main-thread queue, exit code, token state), so the process
// keeps one copy of each.

// What the program gives the window front.
class IWindowHost {
 public:
  virtual ~IWindowHost() = default;

  // GUI thread: runs the tasks queued for the main thread.
  virtual void RunPending() = 0;

  // Any thread: runs the task on the GUI thread and waits for it (IAppLoop::Synchronize).
  virtual void Synchronize(std::function<void()> task) = 0;

  // GUI thread: the first activation of the main window; the start-up begins.
  virtual void Activated() = 0;
};

// The window front as the program drives it: the front interface, the event loop and the main
// window. Made and destroyed on the GUI (main) thread.
class IWindowFront : public IFront {
 public:
  // Any thread: the event loop calls the host's RunPending() soon.
  virtual void Wake() = 0;

  // Any thread: ends Exec() once the current event has been handled.
  virtual void Quit() = 0;

  // GUI thread: shows the main window and runs the event loop until Quit().
  virtual void Exec() = 0;
};

// Makes the window front; argc and argv are the process's own (the GUI library may take its
// options out of them). The host outlives the front.
using WindowFrontFactory =
    std::function<std::unique_ptr<IWindowFront>(int& argc, char** argv, IWindowHost& host)>;

// The one symbol the window module exports: a function of this type, with C linkage.
using CreateWindowFrontFunction = IWindowFront* (*)(int* argc, char** argv, IWindowHost* host);
inline constexpr const char* kCreateWindowFrontSymbol = "LuvaroCreateWindowFront";

// The module's file name, beside the executable.
inline constexpr const char* kWindowModuleFile = "luvaro-qt.so";

}  // namespace luvaro
