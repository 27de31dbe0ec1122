#pragma once

#include "dfe/dfe_exception.h"

namespace luvaro::reinf {

// A failure of the EFD-Reinf protocol (signing set-up, event or lot validation); failures of
// the framework keep their own classes.
class EReinfException : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

}  // namespace luvaro::reinf
