#pragma once

#include "tools/sim/sim_role.h"

namespace luvaro::sim {

// The ERP's HTTP server: hands out lots from a fixtures folder and takes the posted replies.
SimRole ErpRole();

}  // namespace luvaro::sim
