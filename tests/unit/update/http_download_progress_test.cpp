// The download's percentage and its notifications.

#include "update/http_download_progress.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace luvaro {
namespace {

TEST(PercentualProgresso, RoundsToNearestHalvesToEven) {
  struct Case {
    const char* name;
    std::int64_t recebidos;
    std::int64_t total;
    int expected;
  } cases[] = {
      {"nothing yet", 0, 1000, 0},
      {"12.5 goes down to 12", 1, 8, 12},
      {"37.5 goes up to 38", 3, 8, 38},
      {"0.5 goes down to 0", 1, 200, 0},
      {"1.5 goes up to 2", 3, 200, 2},
      {"2.5 goes down to 2", 5, 200, 2},
      {"99.5 goes up to 100", 199, 200, 100},
      {"a third", 1, 3, 33},
      {"two thirds", 2, 3, 67},
      {"just below a half rounds down", 4999, 1000000, 0},
      {"everything", 4096, 4096, 100},
      {"no size announced", 10, 0, 0},
      {"huge file half way", std::numeric_limits<std::int64_t>::max() / 2,
       std::numeric_limits<std::int64_t>::max(), 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PercentualProgresso(c.recebidos, c.total), c.expected);
  }
}

TEST(THttpDownloadProgress, EverySetRaisesOnChangeEvenUnchanged) {
  THttpDownloadProgress http;
  std::vector<int> seen;
  http.OnChange = [&](THttpDownloadProgress& sender) {
    EXPECT_EQ(&sender, &http);
    seen.push_back(sender.Progress());
  };
  http.SetProgress(0);
  http.SetProgress(0);
  http.SetProgress(42);
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 42}));
  EXPECT_EQ(http.BytesToTransfer(), 0);
}

}  // namespace
}  // namespace luvaro
