#include "tests/integration/erp/erp_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "dfe/dfe_exception.h"

namespace fs = std::filesystem;

namespace luvaro::test {

fs::path SimProgram() {
  return LUVARO_SIM_PATH;
}

fs::path ErpFixtures() {
  return fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "erp";
}

std::shared_ptr<TIntegradorOrvane> MakeClient(const std::string& baseUrl, const std::string& tipo,
                                              const std::string& empresaKey,
                                              OrvaneTimeouts timeouts) {
  auto client = std::make_shared<TIntegradorOrvane>(timeouts);
  const std::string base = baseUrl + "spring/" + tipo;
  client->SetUrlBuscaEventos(base + "/lotes");
  client->SetUrlRetornaEventosXml(base + "/lotesRetorno");
  client->SetUrlRetornaProtocoloXml(base + "/consultaProtocoloRetorno");
  client->SetEmpresaKey(empresaKey);
  client->SetTipoProjeto(tipo);
  return client;
}

void ErpClientTest::SetUpTestSuite() {
  s_curl = std::make_unique<CurlGlobal>();
  s_home = std::make_unique<TempDir>("luvaro-erp-home");
  setenv("LUVARO_HOME", s_home->path().c_str(), 1);
}

void ErpClientTest::TearDownTestSuite() {
  unsetenv("LUVARO_HOME");
  s_home.reset();
  s_curl.reset();
}

void ErpClientTest::SetUp() {
  fs::remove_all(LogsFolder());
  fs::create_directories(LogsFolder());
}

fs::path ErpClientTest::LogsFolder() {
  return s_home->path() / "Logs";
}

std::vector<std::string> ErpClientTest::LogMessages() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(LogsFolder())) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::string text;
  for (const auto& file : files) text += ReadFile(file);

  const std::regex stamp(R"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d - )");
  std::vector<std::string> messages;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "log line without CR LF";
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    EXPECT_TRUE(std::regex_match(line.substr(0, 22), stamp)) << line.substr(0, 80);
    messages.push_back(line.size() >= 22 ? line.substr(22) : line);
  }
  return messages;
}

}  // namespace luvaro::test
