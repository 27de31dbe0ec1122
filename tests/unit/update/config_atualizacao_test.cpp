// The update server's address: configured base or the built-in one, and the query's path.

#include "update/config_atualizacao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace luvaro {
namespace {

TEST(ConfigAtualizacao, BaseFromTheSettingOrBuiltIn) {
  const std::string padrao(UrlAtualizacaoPadrao());
  struct Case {
    const char* name;
    std::optional<std::string_view> setting;
    std::string expectedBase;
  } cases[] = {
      {"not set", std::nullopt, padrao},
      {"empty", "", padrao},
      {"only a slash", "/", padrao},
      {"host and port", "http://127.0.0.1:41235", "http://127.0.0.1:41235"},
      {"trailing slash", "http://127.0.0.1:41235/", "http://127.0.0.1:41235"},
      {"https host", "https://atualizacao.example//", "https://atualizacao.example"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TConfigAtualizacao config = MontarConfigAtualizacao(c.setting, "/opt/luvaro/");
    EXPECT_EQ(config.UrlBase, c.expectedBase);
    EXPECT_EQ(config.PastaAplicacao, "/opt/luvaro/");
    EXPECT_EQ(UrlConsultaVersao(config),
              c.expectedBase + "/cloud/api/versao/sistema/get?identificacao=Luvaro");
  }
}

TEST(ConfigAtualizacao, BuiltInServerIsAnHttpsBaseWithoutPath) {
  const std::string padrao(UrlAtualizacaoPadrao());
  ASSERT_TRUE(padrao.starts_with("https://")) << padrao;
  EXPECT_EQ(padrao.find('/', 8), std::string::npos) << padrao;
}

// The update server is checked as the government's are: on, against cadeias/ beside the
// program; without an application folder, against the system's roots only.
TEST(ConfigAtualizacao, ServersAreCheckedAgainstTheApplicationFoldersCadeias) {
  const TConfigAtualizacao config = MontarConfigAtualizacao(std::nullopt, "/opt/luvaro");
  EXPECT_TRUE(config.Identidade.verificar);
  EXPECT_EQ(config.Identidade.pastaCadeias, std::filesystem::path("/opt/luvaro/cadeias"));
  EXPECT_TRUE(MontarConfigAtualizacao(std::nullopt, "").Identidade.pastaCadeias.empty());
}

}  // namespace
}  // namespace luvaro
