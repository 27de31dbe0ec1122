#include "dfe/config/ini.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dfe/config/config_types.h"
#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

TEST(IniFile, TextoMalFormadoNuncaFalha) {
  struct Case {
    const char* name;
    std::string text;
    std::string section, key;
    std::string expected;  // "<none>" when the key must be absent
  };
  const Case cases[] = {
      {"no sections at all", "a=1\r\nb=2\r\n", "", "a", "<none>"},
      {"lines before the first section ignored", "a=1\n[S]\nb=2\n", "S", "a", "<none>"},
      {"key and value trimmed", "[S]\n  chave  =  valor  \n", "S", "chave", "valor"},
      {"split at the first =", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"line without = is a key with empty value", "[S]\nsozinha\n", "S", "sozinha", ""},
      {"duplicate key: first wins", "[S]\nk=1\nk=2\n", "S", "k", "1"},
      {"section named twice continues the first", "[S]\na=1\n[T]\n[s]\nb=2\n", "S", "b", "2"},
      {"section and key letter case ignored", "[Reinf_P]\nChave=x\n", "REINF_p", "CHAVE", "x"},
      {"byte-order mark dropped", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
      {"CR LF, LF and lone CR", "[S]\r\na=1\rb=2\nc=3", "S", "b", "2"},
      {"comments and blank lines", "; x\n\n[S]\n;k=1\n  ; k=2\nk=3\n", "S", "k", "3"},
      {"section name trimmed", "[  S  ]\nk=v\n", "S", "k", "v"},
      {"unclosed bracket is an entry", "[S]\n[T\n", "S", "[T", ""},
      {"empty document", "", "S", "k", "<none>"},
      {"binary junk", std::string("[S]\n\0\x01\xff=\xfe\n", 10), "S", "k", "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const IniFile ini(c.text);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), c.expected);
  }
}

TEST(IniFile, OrdemEscritaELeituraTipada) {
  IniFile ini("[S]\nb=2\na=1\nc=x\n[T]\n");
  ASSERT_EQ(ini.Entries("s").size(), 3u);
  EXPECT_EQ(ini.Entries("S")[0].first, "b");
  EXPECT_TRUE(ini.Entries("none").empty());
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"S", "T"}));
  EXPECT_TRUE(ini.SectionExists("t"));
  EXPECT_EQ(ini.ReadInteger("S", "a", 7), 1);
  EXPECT_EQ(ini.ReadInteger("S", "c", 7), 7);
  EXPECT_TRUE(ini.ReadBool("S", "a", false));
  EXPECT_TRUE(ini.ReadBool("S", "c", true));
  EXPECT_EQ(ini.ReadEnum("S", "b", TTipoAmbiente::taProducao, TTipoAmbiente::taHomologacao),
            TTipoAmbiente::taProducao);  // ordinal 2 is out of range
  EXPECT_EQ(ini.ReadEnum("S", "a", TTipoAmbiente::taProducao, TTipoAmbiente::taHomologacao),
            TTipoAmbiente::taHomologacao);

  ini.WriteString("s", "A", "novo\r\n[X]\r\nk=v");
  ini.WriteBool("U", "flag", true);
  ini.EraseSection("t");
  EXPECT_EQ(ini.Text(), "[S]\r\nb=2\r\na=novo  [X]  k=v\r\nc=x\r\n\r\n[U]\r\nflag=1\r\n\r\n");
  EXPECT_EQ(IniFile(ini.Text()).Text(), ini.Text());
}

TEST(IniFile, Arquivos) {
  test::TempDir dir("luvaro-ini");
  IniFile ini;
  ini.WriteString("S", "k", "v");
  ini.SaveToFile(dir / "a.ini");
  EXPECT_EQ(test::ReadFile(dir / "a.ini"), "[S]\r\nk=v\r\n\r\n");
  IniFile lido;
  lido.LoadFromFile(dir / "a.ini");
  EXPECT_EQ(lido.ReadString("S", "k", ""), "v");
  lido.LoadFromFile(dir / "missing.ini");
  EXPECT_FALSE(lido.SectionExists("S"));
  EXPECT_THROW(ini.SaveToFile(dir / "no" / "a.ini"), EDFeException);
  std::filesystem::create_symlink("/dev/full", dir / "cheio.ini");
  EXPECT_THROW(ini.SaveToFile(dir / "cheio.ini"), EDFeException);
}

}  // namespace
}  // namespace luvaro
