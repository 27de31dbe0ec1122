#include "dfe/config/ini_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dfe/xml/data_hora.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

TEST(IniValues, DatasDoTextoIni) {
  struct Caso {
    const char* texto;
    std::optional<DateTime> esperado;
  };
  const Caso casos[] = {
      {"", std::nullopt},
      {"0", std::nullopt},
      {" 0 ", std::nullopt},
      {"10/01/2025", encodeDateTime(2025, 1, 10)},
      {"1/2/2023", encodeDateTime(2023, 2, 1)},
      {"31/12/2026 08:05:09", encodeDateTime(2026, 12, 31, 8, 5, 9)},
      {"31/12/2026 08:05", encodeDateTime(2026, 12, 31, 8, 5)},
      {"30/02/2025", std::nullopt},
      {"2025-01-10", std::nullopt},
      {"10/01/2025x", std::nullopt},
      {"10/01/2025 25:00", std::nullopt},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.texto);
    EXPECT_EQ(ParseIniDate(caso.texto), caso.esperado);
  }
}

TEST(IniValues, LeitorDeSecaoComPadroes) {
  const IniFile ini("[s]\nnome=Ana\nvalor=1234,5\nponto=2.25\nruim=abc\ndata=05/03/2024\nn=7\n");
  const IniSectionReader s(ini, "S");
  EXPECT_TRUE(s.Exists());
  EXPECT_EQ(s.Text("nome"), "Ana");
  EXPECT_EQ(s.Text("falta", "FIM"), "FIM");
  EXPECT_DOUBLE_EQ(s.Decimal("valor"), 1234.5);
  EXPECT_DOUBLE_EQ(s.Decimal("ponto"), 2.25);
  EXPECT_DOUBLE_EQ(s.Decimal("ruim", 9), 9);
  EXPECT_DOUBLE_EQ(s.Decimal("falta"), 0);
  EXPECT_EQ(s.Date("data"), encodeDateTime(2024, 3, 5));
  EXPECT_EQ(s.Date("falta"), 0);
  EXPECT_EQ(s.Integer("n"), 7);
  EXPECT_EQ(s.Integer("nome", -1), -1);
  EXPECT_FALSE(IniSectionReader(ini, "outra").Exists());
}

// One line naming an existing file is that file; anything else is the INI text itself.
TEST(IniValues, TextoOuArquivo) {
  const test::TempDir dir("luvaro-ini-values");
  const std::filesystem::path arquivo = dir / "evento.ini";
  test::WriteFile(arquivo, "[a]\r\nb=do arquivo\r\n");
  EXPECT_EQ(LerTextoOuArquivoIni(arquivo.string()).ReadString("a", "b", ""), "do arquivo");
  EXPECT_EQ(LerTextoOuArquivoIni("[a]\nb=do texto").ReadString("a", "b", ""), "do texto");
  EXPECT_FALSE(LerTextoOuArquivoIni((dir / "falta.ini").string()).SectionExists("a"));
  EXPECT_FALSE(LerTextoOuArquivoIni("").SectionExists("a"));
}

}  // namespace
}  // namespace luvaro
