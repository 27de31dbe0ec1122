// The digest the downloaded installer is checked against, of known texts.

#include "update/resumo_arquivo.h"

#include <gtest/gtest.h>

#include <string>

#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

TEST(Sha256DoArquivo, KnownDigests) {
  test::TempDir dir("luvaro-resumo");
  struct Case {
    const char* name;
    std::string content;
    const char* expected;  // published digests of these texts
  } cases[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"test", "test", "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"},
      {"a million a's (many blocks)", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(dir / "arquivo", c.content);
    EXPECT_EQ(Sha256DoArquivo(dir / "arquivo"), c.expected);
  }
  EXPECT_THROW(Sha256DoArquivo(dir / "ausente"), EDFeException);
}

}  // namespace
}  // namespace luvaro
