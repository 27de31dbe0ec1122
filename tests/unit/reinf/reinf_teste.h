#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reinf/reinf_componente.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// The EFD-Reinf fixtures (tests/fixtures/reinf).
std::filesystem::path FixturesReinf();
std::string FixtureReinf(std::string_view nome);

// The published schemas, copied once per test program into a temporary folder.
const std::filesystem::path& PastaSchemasReinf();

// A component as the EFD-Reinf worker configures it (layout 1.04.00, homologation, schema
// errors not shown, files saved), in a fresh application folder, signing with the software key
// of the signature tests instead of a token.
class ReinfTest : public ::testing::Test {
 protected:
  ReinfTest();

  reinf::TConfiguracoesReinf& Config() { return m_comp->Configuracoes(); }
  std::filesystem::path PastaSalvar() const { return m_dir / "Docs"; }
  // Names of the files in a folder (the save folder by default), sorted.
  std::vector<std::string> Arquivos(const std::filesystem::path& pasta = {}) const;
  // The fixture with its event identifier replaced (for a second event of the same type).
  static std::string ComId(std::string_view fixture, std::string_view idNovo);

  TempDir m_dir{"luvaro-reinf-test"};
  std::unique_ptr<reinf::TReinfComponente> m_comp;
};

}  // namespace luvaro::test
