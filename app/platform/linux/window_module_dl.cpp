// The window module through the dynamic loader.

#include <dlfcn.h>

#include "app/window_run.h"

namespace luvaro {

std::optional<WindowFrontFactory> LoadWindowModule(const std::filesystem::path& file,
                                                   std::string& error) {
  // Never closed: the module and the GUI libraries it brings in stay for the whole process.
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* reason = dlerror();
    error = reason ? reason : file.string();
    return std::nullopt;
  }
  auto* create =
      reinterpret_cast<CreateWindowFrontFunction>(dlsym(module, kCreateWindowFrontSymbol));
  if (!create) {
    const char* reason = dlerror();
    error = reason ? reason : std::string(kCreateWindowFrontSymbol);
    return std::nullopt;
  }
  return WindowFrontFactory([create](int& argc, char** argv, IWindowHost& host) {
    return std::unique_ptr<IWindowFront>(create(&argc, argv, &host));
  });
}

}  // namespace luvaro
