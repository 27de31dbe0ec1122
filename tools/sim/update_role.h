#pragma once

#include "tools/sim/sim_role.h"

namespace luvaro::sim {

// The program's update server: answers the version query and hands out the installer.
SimRole UpdateRole();

}  // namespace luvaro::sim
