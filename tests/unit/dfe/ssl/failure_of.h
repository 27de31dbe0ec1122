#pragma once

#include <string>

#include "dfe/dfe_exception.h"

namespace luvaro::test {

// The text of the EDFeException that `fn` raises, or "(no failure)".
template <typename Fn>
std::string FailureOf(Fn&& fn) {
  try {
    fn();
  } catch (const EDFeException& e) {
    return e.what();
  }
  return "(no failure)";
}

}  // namespace luvaro::test
