#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dfe/raii/curl.h"
#include "integration/integrador_orvane.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro::test {

// luvaro-sim and the ERP fixtures of the source tree.
std::filesystem::path SimProgram();
std::filesystem::path ErpFixtures();

// A client for project type `tipo` of the ERP at `baseUrl` (ending in "/"), its endpoints set
// as the program's start-up sets them.
std::shared_ptr<TIntegradorOrvane> MakeClient(const std::string& baseUrl, const std::string& tipo,
                                              const std::string& empresaKey,
                                              OrvaneTimeouts timeouts = {});

// The application folder (LUVARO_HOME) with a Logs folder for the whole test program; each test
// starts with an empty log.
class ErpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // Every log line of this test, without its time stamp (which is checked here).
  static std::vector<std::string> LogMessages();
  static std::filesystem::path LogsFolder();

 private:
  static inline std::unique_ptr<CurlGlobal> s_curl;
  static inline std::unique_ptr<TempDir> s_home;
};

}  // namespace luvaro::test
