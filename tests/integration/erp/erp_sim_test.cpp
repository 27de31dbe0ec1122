// luvaro-sim itself: its command line, its recordings and its end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/erp/erp_test_support.h"

using testing::HasSubstr;

namespace luvaro::test {
namespace {

TEST(ErpSim, RefusesAWrongCommandLine) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {"no role", {}, "usage: luvaro-sim <role>"},
      {"unknown role", {"banco"}, "unknown role \"banco\""},
      {"erp without fixtures", {"erp"}, "the erp role needs --fixtures DIR"},
      {"unknown option", {"erp", "--fixtures", ".", "--cor", "azul"}, "unknown option: --cor"},
      {"status out of range", {"erp", "--fixtures", ".", "--status", "42"}, "--status"},
      {"unknown body fault",
       {"erp", "--fixtures", ".", "--body", "vazio"},
       "knows no body fault \"vazio\""},
      {"fault on an endpoint the role lacks",
       {"erp", "--fixtures", ".", "--only", "lots"},
       "no endpoint \"lots\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessOptions options;
    options.args = c.args;
    const ProcessResult result = RunProcess(SimProgram(), options);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.out + result.err, HasSubstr(c.message));
  }
}

TEST(ErpSim, RecordsRequestsAndEndsCleanlyOnSigterm) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  EXPECT_THAT(sim.BaseUrl(), testing::MatchesRegex(R"(http://127\.0\.0\.1:[0-9]+/)"));
  auto client = MakeClient(sim.BaseUrl(), "reinf", "EMPRESA-DEMO");
  client->GetDadosTransmissao();
  client->EnviarRetornoConsultaProtocoloXML("<r/>");

  const auto requests = sim.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].name, "0001-GET-lotes");
  EXPECT_EQ(requests[0].endpoint, "lotes");
  EXPECT_EQ(requests[0].body, "");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Luvaro");
  EXPECT_EQ(requests[1].name, "0002-POST-consultaProtocoloRetorno");
  EXPECT_EQ(requests[1].Header("Content-Length"), std::to_string(requests[1].body.size()));
  EXPECT_EQ(sim.Terminate(), 0);
  EXPECT_THAT(sim.StdErr(),
              HasSubstr("erp: GET /spring/reinf/lotes?empresaKey=EMPRESA-DEMO -> 200"));
}

}  // namespace
}  // namespace luvaro::test
