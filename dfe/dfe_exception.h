#pragma once

#include <stdexcept>
#include <string>

namespace luvaro {

// The framework's failure: a Portuguese message meant for the user. Subclasses exist only
// where a caller handles a failure differently; codes travel as fields, never inside what().
class EDFeException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace luvaro
