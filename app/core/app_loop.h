#pragma once

#include <functional>

namespace luvaro {

// The application's main thread and its message loop, as the start-up code and the workers
// see it. Each front provides one (the Qt event loop; a plain task loop when headless).
class IAppLoop {
 public:
  virtual ~IAppLoop() = default;

  // Queues the task to run later on the main thread and returns at once. Dropped once the
  // loop has ended.
  virtual void Post(std::function<void()> task) = 0;

  // Runs the task on the main thread and waits for it (runs it at once when called there).
  // Whatever the task throws, the silent abort included, is rethrown in the caller. Once the
  // loop has ended, throws TSilentAbort instead of waiting forever.
  virtual void Synchronize(std::function<void()> task) = 0;

  // Asks the application to terminate: the loop ends once the current task returns.
  virtual void Terminate() = 0;
};

}  // namespace luvaro
