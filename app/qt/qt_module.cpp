// The window module's one export: the program finds it by name after loading the module (see
// app/window_front.h). Everything else in the module stays private to it.

#include <type_traits>

#include "app/qt/qt_run.h"

extern "C" __attribute__((visibility("default"))) luvaro::IWindowFront* LuvaroCreateWindowFront(
    int* argc, char** argv, luvaro::IWindowHost* host) {
  return luvaro::CreateQtFront(*argc, argv, *host).release();
}

static_assert(std::is_same_v<decltype(&LuvaroCreateWindowFront), luvaro::CreateWindowFrontFunction>,
              "the export must keep the type the program looks it up with");
