#include "app/window_run.h"

#include <utility>

#include "app/core/exit_code.h"
#include "app/core/startup.h"

namespace luvaro {

QueueWindowHost::QueueWindowHost(MainThreadQueue& queue, std::function<void()> onActivated)
    : m_queue(queue), m_onActivated(std::move(onActivated)) {}

void QueueWindowHost::Attach(IWindowFront& front) {
  m_queue.SetWakeUp([&front] { front.Wake(); });
  m_queue.SetTerminateHook([&front] { front.Quit(); });
}

void QueueWindowHost::RunPending() {
  m_queue.RunPending();
}

void QueueWindowHost::Synchronize(std::function<void()> task) {
  m_queue.Synchronize(std::move(task));
}

void QueueWindowHost::Activated() {
  if (m_onActivated) m_onActivated();
}

int RunWindowFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                   const WorkerRegistry& workers, const WindowFrontFactory& make) {
  MainThreadQueue queue;
  Startup* startupRef = nullptr;
  QueueWindowHost host(queue, [&startupRef] {
    if (startupRef) startupRef->Iniciar();
  });
  const std::unique_ptr<IWindowFront> front = make(argc, argv, host);
  host.Attach(*front);
  {
    Startup startup(std::move(args), *front, queue, std::move(update), workers);
    startupRef = &startup;
    front->Exec();
    queue.Close();  // releases any thread still waiting on the GUI thread
    startupRef = nullptr;
  }  // waits for the update and worker threads
  return GetExitCode();
}

}  // namespace luvaro
