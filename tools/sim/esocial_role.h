#pragma once

#include "tools/sim/sim_role.h"

namespace luvaro::sim {

// The four eSocial web services (send lot, query lot, identifier query, download) over HTTPS with
// client certificates: checks lots and events as the government does and answers in its reply
// shapes.
SimRole EsocialRole();

}  // namespace luvaro::sim
