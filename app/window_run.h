#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/main_thread_queue.h"
#include "app/core/update_step.h"
#include "app/core/worker.h"
#include "app/window_front.h"

namespace luvaro {

// The main-thread queue as the window front's host: queued tasks wake the front's event loop,
// a terminate request ends it.
class QueueWindowHost final : public IWindowHost {
 public:
  explicit QueueWindowHost(MainThreadQueue& queue, std::function<void()> onActivated = {});

  // Hands the queue's wake-ups and terminate request to the front. Before any other thread
  // exists; the front outlives every thread that may queue a task.
  void Attach(IWindowFront& front);

  void RunPending() override;
  void Synchronize(std::function<void()> task) override;
  void Activated() override;

 private:
  MainThreadQueue& m_queue;
  std::function<void()> m_onActivated;
};

// Runs the whole program with the window front that `make` returns, on the calling (main)
// thread; returns the exit code.
int RunWindowFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                   const WorkerRegistry& workers, const WindowFrontFactory& make);

// Loads the window module from `file`: its factory, or nothing with the loader's reason in
// `error`. A loaded module stays for the rest of the process (the GUI libraries it brings in
// cannot be unloaded safely).
std::optional<WindowFrontFactory> LoadWindowModule(const std::filesystem::path& file,
                                                   std::string& error);

}  // namespace luvaro
