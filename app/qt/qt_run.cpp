// The program with the Qt front: the application object, the main-thread queue driven by the
// Qt event loop, the main window and the start-up.

#include <QApplication>
#include <QObject>
#include <utility>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/startup.h"
#include "app/luvaro.h"
#include "app/qt/main_window.h"
#include "app/qt/qt_front.h"

namespace luvaro {

int RunGuiFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                const WorkerRegistry& workers) {
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);  // only the run ends the program

  MainThreadQueue queue;
  QObject wakeTarget;  // lives on the GUI thread; queued calls run there
  AttachToEventLoop(queue, wakeTarget);

  Startup* startupRef = nullptr;
  TfrmPrincipal window([&startupRef] {
    if (startupRef) startupRef->Iniciar();
  });
  QtFront front(queue, window);
  {
    Startup startup(std::move(args), front, queue, std::move(update), workers);
    startupRef = &startup;
    window.show();
    application.exec();
    queue.Close();  // releases any thread still waiting on the GUI thread
    startupRef = nullptr;
  }  // waits for the update and worker threads
  return GetExitCode();
}

}  // namespace luvaro
