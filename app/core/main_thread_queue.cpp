#include "app/core/main_thread_queue.h"

#include <exception>
#include <utility>

#include "app/core/silent_abort.h"

namespace luvaro {
namespace {

const char* const kEncerrando = "Aplicação encerrando.";

}  // namespace

MainThreadQueue::MainThreadQueue() : m_mainThread(std::this_thread::get_id()) {}

MainThreadQueue::~MainThreadQueue() {
  Close();
}

void MainThreadQueue::SetWakeUp(std::function<void()> wakeUp) {
  m_wakeUp = std::move(wakeUp);
}

void MainThreadQueue::SetTerminateHook(std::function<void()> hook) {
  m_terminateHook = std::move(hook);
}

bool MainThreadQueue::IsMainThread() const noexcept {
  return std::this_thread::get_id() == m_mainThread;
}

bool MainThreadQueue::TerminateRequested() const {
  std::lock_guard lock(m_mutex);
  return m_terminate;
}

void MainThreadQueue::Enqueue(Task task) {
  {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
      if (task.done) task.done->set_exception(std::make_exception_ptr(TSilentAbort{kEncerrando}));
      return;
    }
    m_tasks.push_back(std::move(task));
  }
  m_changed.notify_all();
  if (m_wakeUp) m_wakeUp();
}

void MainThreadQueue::Post(std::function<void()> task) {
  Enqueue({std::move(task), nullptr});
}

void MainThreadQueue::Synchronize(std::function<void()> task) {
  if (IsMainThread()) {
    task();
    return;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  Enqueue({std::move(task), std::move(done)});
  finished.get();  // rethrows what the task raised on the main thread
}

void MainThreadQueue::Terminate() {
  {
    std::lock_guard lock(m_mutex);
    m_terminate = true;
  }
  m_changed.notify_all();
  if (m_terminateHook) m_terminateHook();
}

bool MainThreadQueue::PopTask(Task& task) {
  std::lock_guard lock(m_mutex);
  if (m_terminate || m_closed || m_tasks.empty()) return false;
  task = std::move(m_tasks.front());
  m_tasks.pop_front();
  return true;
}

void MainThreadQueue::Run(Task& task) {
  if (task.done) {
    try {
      task.run();
      task.done->set_value();
    } catch (...) {
      // Not handled here: carried back to the waiting thread, which rethrows it.
      task.done->set_exception(std::current_exception());
    }
    return;
  }
  try {
    task.run();
  } catch (const TSilentAbort&) {
    // A posted task is a top of the main thread; a stop-flag message inside it ends it quietly.
  }
}

void MainThreadQueue::RunPending() {
  Task task;
  while (PopTask(task)) Run(task);
}

void MainThreadQueue::RunUntilTerminated() {
  for (;;) {
    Task task;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [this] { return m_terminate || m_closed || !m_tasks.empty(); });
      if (m_terminate || m_closed) return;
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    Run(task);
  }
}

void MainThreadQueue::Close() {
  std::deque<Task> left;
  {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    left.swap(m_tasks);
  }
  m_changed.notify_all();
  for (Task& task : left)
    if (task.done) task.done->set_exception(std::make_exception_ptr(TSilentAbort{kEncerrando}));
}

}  // namespace luvaro
