// The update server's address: configured base or the built-in one, and the query's path.

#include "update/config_atualizacao.h"

#include <gtest/gtest.h>

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

TEST(ConfigAtualizacao, BuiltInServerIsABaseWithoutPath) {
  const std::string padrao(UrlAtualizacaoPadrao());
  const auto scheme = padrao.find("://");
  ASSERT_NE(scheme, std::string::npos);
  EXPECT_EQ(padrao.find('/', scheme + 3), std::string::npos) << padrao;
}

}  // namespace
}  // namespace luvaro
