#pragma once

#include "tools/sim/sim_role.h"

namespace luvaro::sim {

// The government's SOAP services: HTTPS on loopback that requires a client certificate from the
// test CA and answers every POST from a scripted reply.
SimRole GovRole();

}  // namespace luvaro::sim
