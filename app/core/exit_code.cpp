#include "app/core/exit_code.h"

#include <atomic>

namespace luvaro {
namespace {

std::atomic<int> g_exitCode{0};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

}  // namespace

int GetExitCode() noexcept {
  return g_exitCode.load();
}
void SetExitCode(int code) noexcept {
  g_exitCode.store(code);
}

}  // namespace luvaro
