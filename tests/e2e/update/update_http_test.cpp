// The update check's two requests against luvaro-sim's update role: the version query and the
// installer download with its progress, complete or leaving nothing behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "dfe/raii/curl.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/ssl/failure_of.h"
#include "update/config_atualizacao.h"
#include "update/consulta_versao.h"
#include "update/http_download_progress.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kSim = LUVARO_SIM_PATH;

// Bytes that show a shifted or repeated piece.
std::string MakeInstaller(std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

class UpdateHttpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_curl = std::make_unique<CurlGlobal>(); }
  static void TearDownTestSuite() { s_curl.reset(); }

  TempDir dir{"luvaro-update-http"};

 private:
  static inline std::unique_ptr<CurlGlobal> s_curl;
};

TEST_F(UpdateHttpTest, VersionQuerySendsTheServersHeadersAndReadsTheAnswer) {
  SimProcess sim(kSim, "update",
                 {"--versao", "1.15", "--versao-orvane", "4.0.02-190101", "--link",
                  "https://downloads.example/Luvaro-install.exe"});
  struct Case {
    const char* name;
    std::string base;
    std::vector<std::string> expectedTargets;
  } cases[] = {
      {"direct", sim.BaseUrl(), {"/cloud/api/versao/sistema/get?identificacao=Luvaro"}},
      {"server moved",
       sim.BaseUrl() + "moved",
       {"/moved/cloud/api/versao/sistema/get?identificacao=Luvaro",
        "/cloud/api/versao/sistema/get?identificacao=Luvaro"}},
  };
  std::size_t seen = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TResultVersao r =
        ConsultarVersao(UrlConsultaVersao(MontarConfigAtualizacao(c.base, "")), {});
    EXPECT_EQ(r.versaoAtual, "1.15");
    EXPECT_EQ(r.versaoOrvane, "4.0.02-190101");
    EXPECT_EQ(r.linkAtualizar, "https://downloads.example/Luvaro-install.exe");

    const auto requests = sim.Requests();
    ASSERT_EQ(requests.size(), seen + c.expectedTargets.size());
    for (std::size_t i = 0; i < c.expectedTargets.size(); ++i) {
      const RecordedRequest& q = requests[seen + i];
      EXPECT_EQ(q.method, "GET");
      EXPECT_EQ(q.target, c.expectedTargets[i]);
      EXPECT_EQ(q.Header("Accept"), "application/json, text/javascript, */*; q=0.01");
      EXPECT_EQ(q.Header("Content-Type"), "application/x-www-form-urlencoded; charset=UTF-8");
      EXPECT_EQ(q.body, "");
    }
    seen = requests.size();
  }
}

TEST_F(UpdateHttpTest, VersionQueryFailuresSayWhatWentWrong) {
  SimProcess sim(kSim, "update", {});
  std::string gone;
  {
    SimProcess stopped(kSim, "update", {});
    gone = stopped.BaseUrl();
  }  // nobody listens there any longer
  struct Case {
    const char* name;
    std::string base;
    std::string faults;
    std::string expectedText;  // part of the failure's text
  } cases[] = {
      {"status", sim.BaseUrl(), "status=503", "503 - Service Unavailable"},
      {"not found", sim.BaseUrl() + "outro", "", "404 - Not Found"},
      {"HTML instead of JSON", sim.BaseUrl(), "body=not-json", "não é um JSON válido"},
      {"array", sim.BaseUrl(), "body=not-object", "não é um objeto JSON"},
      {"versao missing", sim.BaseUrl(), "body=no-versao", "\"versao\" não veio"},
      {"no separator", sim.BaseUrl(), "body=no-separator", "separados por \";\""},
      {"cut short", sim.BaseUrl(), "close-mid-reply", "transfer closed"},
      {"nobody listening", gone, "", "onnect"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim.SetFaults(c.faults);
    const std::string text = FailureOf(
        [&] { ConsultarVersao(UrlConsultaVersao(MontarConfigAtualizacao(c.base, "")), {}); });
    EXPECT_NE(text.find(c.expectedText), std::string::npos) << text;
  }
}

// What a download told its listeners.
struct Notifications {
  std::vector<int> progress;
  std::vector<std::int64_t> bytesToTransfer;  // at each progress change
  int ends = 0;
  std::int64_t bytesAtEnd = -1;

  void Attach(THttpDownloadProgress& http) {
    http.OnChange = [this](THttpDownloadProgress& s) {
      progress.push_back(s.Progress());
      bytesToTransfer.push_back(s.BytesToTransfer());
    };
    http.OnEnd = [this](THttpDownloadProgress& s) {
      ++ends;
      bytesAtEnd = s.BytesToTransfer();
    };
  }
};

TEST_F(UpdateHttpTest, CompleteDownloadsReplaceTheTargetWithProgress) {
  const std::string installer = MakeInstaller(200 * 1024);
  WriteFile(dir / "instalador.bin", installer);
  SimProcess sim(kSim, "update", {"--instalador", (dir / "instalador.bin").string()});
  struct Case {
    const char* name;
    std::string faults;
    std::string path;  // below the base URL
    bool sizeAnnounced;
    bool slow;
  } cases[] = {
      {"size announced", "", "instalador/Luvaro-install.exe", true, false},
      {"slow with size", "body=slow", "instalador/x", true, true},
      {"no size, ends with the connection", "body=no-length", "instalador/x", false, false},
      {"chunked", "body=chunked", "instalador/x", false, false},
      {"slow without size", "body=slow-no-length", "instalador/x", false, true},
      {"redirected", "", "moved/instalador/x", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir app("luvaro-update-app");
    const fs::path target = app / "pasta nova" / "Luvaro-install";
    if (c.sizeAnnounced) {  // an earlier file is replaced; otherwise the folder is created
      fs::create_directories(target.parent_path());
      WriteFile(target, "instalador antigo");
    }
    sim.SetFaults(c.faults);
    THttpDownloadProgress http;
    Notifications seen;
    seen.Attach(http);
    http.DownloadFile(sim.BaseUrl() + c.path, target);

    EXPECT_EQ(ReadFile(target), installer);
    EXPECT_EQ(FolderEntries(app.path()), std::vector<std::string>{"pasta nova/Luvaro-install"});
    EXPECT_EQ(seen.ends, 1);
    EXPECT_EQ(seen.bytesAtEnd, 0);
    ASSERT_GE(seen.progress.size(), 2u);
    EXPECT_EQ(seen.progress.front(), 0);
    EXPECT_EQ(seen.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.progress.begin(), seen.progress.end()));
    EXPECT_EQ(seen.bytesToTransfer.back(), 0);
    const auto during = std::vector<int>(seen.progress.begin() + 1, seen.progress.end() - 1);
    const auto bytesDuring =
        std::vector<std::int64_t>(seen.bytesToTransfer.begin() + 1, seen.bytesToTransfer.end() - 1);
    if (c.sizeAnnounced) {
      ASSERT_FALSE(during.empty());
      for (std::int64_t b : bytesDuring) EXPECT_EQ(b, static_cast<std::int64_t>(installer.size()));
      EXPECT_EQ(during.back(), 100);  // the last chunk completes the announced size
    } else {
      for (int p : during) EXPECT_EQ(p, 0);  // nothing to measure against until the end
      for (std::int64_t b : bytesDuring) EXPECT_EQ(b, 0);
    }
    if (c.slow && c.sizeAnnounced) {
      EXPECT_TRUE(
          std::any_of(during.begin(), during.end(), [](int p) { return p > 0 && p < 100; }));
    }
  }
}

TEST_F(UpdateHttpTest, FailedDownloadsLeaveNothingBehind) {
  const std::string installer = MakeInstaller(64 * 1024);
  WriteFile(dir / "instalador.bin", installer);
  WriteFile(dir / "vazio.bin", "");
  SimProcess sim(kSim, "update", {"--instalador", (dir / "instalador.bin").string()});
  SimProcess empty(kSim, "update", {"--instalador", (dir / "vazio.bin").string()});
  struct Case {
    const char* name;
    std::string url;
    std::string faults;
    std::string expectedText;
  } cases[] = {
      {"cut short with size announced", sim.BaseUrl() + "instalador/x", "close-mid-reply",
       "transfer closed"},
      {"chunked cut short", sim.BaseUrl() + "instalador/x", "body=chunked-cut-short", ""},
      {"missing", sim.BaseUrl() + "instalador/x", "status=404",
       "O servidor respondeu 404 - Not Found."},
      {"server error with a body", sim.BaseUrl() + "instalador/x", "status=500",
       "O servidor respondeu 500 - Internal Server Error."},
      {"empty file", empty.BaseUrl() + "instalador/x", "", "O servidor enviou um arquivo vazio."},
      {"not http", "ftp://127.0.0.1/x", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir app("luvaro-update-app");
    const fs::path target = app / "Luvaro-install";
    WriteFile(target, "instalador antigo");
    sim.SetFaults(c.faults);
    THttpDownloadProgress http;
    Notifications seen;
    seen.Attach(http);
    const std::string text = FailureOf([&] { http.DownloadFile(c.url, target); });
    EXPECT_NE(text.find(c.expectedText), std::string::npos) << text;

    EXPECT_EQ(ReadFile(target), "instalador antigo");  // untouched, and no partial file beside it
    EXPECT_EQ(FolderEntries(app.path()), std::vector<std::string>{"Luvaro-install"});
    EXPECT_EQ(seen.ends, 1);
    EXPECT_EQ(seen.bytesAtEnd, 0);
    ASSERT_FALSE(seen.progress.empty());
    EXPECT_NE(seen.progress.back(), 100);
  }
}

}  // namespace
}  // namespace luvaro::test
