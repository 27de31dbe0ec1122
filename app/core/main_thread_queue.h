#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "app/core/app_loop.h"

namespace luvaro {

// The hand-off to the main thread shared by both fronts: a queue of tasks that the main
// thread runs one at a time. The headless front runs it with RunUntilTerminated(); the Qt
// front installs a wake-up that makes its event loop call RunPending(), and a terminate hook
// that quits that loop.
class MainThreadQueue final : public IAppLoop {
 public:
  // Made on the main thread: the thread that makes it is the one that runs the tasks.
  MainThreadQueue();
  ~MainThreadQueue() override;
  MainThreadQueue(const MainThreadQueue&) = delete;  // waiting callers hold on to this object
  MainThreadQueue& operator=(const MainThreadQueue&) = delete;

  // Called (from any thread) after a task was queued. Set before any other thread exists.
  void SetWakeUp(std::function<void()> wakeUp);
  // Called on Terminate(), after the request is recorded. Set before any other thread exists.
  void SetTerminateHook(std::function<void()> hook);

  void Post(std::function<void()> task) override;
  void Synchronize(std::function<void()> task) override;
  void Terminate() override;

  bool IsMainThread() const noexcept;
  bool TerminateRequested() const;

  // Main thread: runs the queued tasks, one at a time, until none is left or termination was
  // requested. Safe to re-enter from a task (a modal dialog's nested loop).
  void RunPending();
  // Main thread: waits for tasks and runs them until termination is requested.
  void RunUntilTerminated();
  // Main thread, after the loop ended: refuses new tasks and releases every waiting caller
  // with TSilentAbort.
  void Close();

 private:
  struct Task {
    std::function<void()> run;
    std::shared_ptr<std::promise<void>> done;  // set for Synchronize calls only
  };

  void Enqueue(Task task);
  bool PopTask(Task& task);
  static void Run(Task& task);

  const std::thread::id m_mainThread;
  std::function<void()> m_wakeUp;
  std::function<void()> m_terminateHook;
  mutable std::mutex m_mutex;  // guards m_tasks, m_terminate and m_closed
  std::condition_variable m_changed;
  std::deque<Task> m_tasks;
  bool m_terminate = false;
  bool m_closed = false;
};

}  // namespace luvaro
