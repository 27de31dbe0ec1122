#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace luvaro::test {

// The folder of the stand-in `name` that tests/windows/sim.sh started for this ctest run
// (LUVARO_TEST_SIMS/test-sim-<name>).
std::filesystem::path SimDir(const std::string& name);

// Its base URL under the name its certificate carries ("localhost": Wine 8.0 matches no IP
// address entry of a certificate's alternative names).
std::string SimUrl(const std::string& name);

// The folders of the requests it recorded, in arrival order.
std::vector<std::filesystem::path> SimRequests(const std::string& name);

}  // namespace luvaro::test
