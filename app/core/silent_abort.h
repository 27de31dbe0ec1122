#pragma once

#include <string>

namespace luvaro {

// Raised after a message shown with the stop flag: the application has been asked to end and
// the caller's remaining work must unwind without anyone reporting it. Deliberately not a
// std::exception (nor an EDFeException), so that no failure handler catches it; only the tops
// of threads and the main-thread hand-off catch it (the hand-off carries it back to the
// waiting worker).
struct TSilentAbort {
  std::string Mensagem;
};

}  // namespace luvaro
