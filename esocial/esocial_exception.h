#pragma once

#include "dfe/dfe_exception.h"

namespace luvaro {

// A failure of the eSocial protocol (signing set-up, event or lot validation, requests);
// failures of the framework keep their own classes.
class EeSocialException : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

}  // namespace luvaro
