#pragma once

#include "tools/sim/sim_role.h"

namespace luvaro::sim {

// The EFD-Reinf web services of the 1.40 addresses (reception of lots; consolidated and receipt
// queries) over HTTPS with client certificates: checks lots and events as the government does
// and answers in its reply shapes.
SimRole ReinfRole();

}  // namespace luvaro::sim
