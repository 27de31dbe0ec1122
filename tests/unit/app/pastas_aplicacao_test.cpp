#include "app/core/pastas_aplicacao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

using test::TempDir;
using test::WriteFile;

// Where a build tree, an installed program and LUVARO_HOME keep and find their files.
TEST(PastasAplicacao, BuildTreeInstalledAndLuvaroHome) {
  TempDir raiz{"luvaro-pastas"};
  const fs::path arvore = raiz / "build" / "app";  // a build tree: no mark beside the program
  const fs::path instalado = raiz / "opt" / "luvaro";
  fs::create_directories(arvore);
  WriteFile(instalado / std::string(kMarcadorPacote), "marca\n");

  struct Case {
    const char* name;
    fs::path exe;
    AmbientePastas env;
    fs::path usuario;
    fs::path programa;
    bool instalado;
  } cases[] = {
      {"build tree keeps everything beside the program",
       arvore,
       {nullptr, "/x/dados", "/home/u"},
       arvore,
       arvore,
       false},
      {"build tree with LUVARO_HOME",
       arvore,
       {"/srv/luvaro", "/x/dados", "/home/u"},
       "/srv/luvaro",
       "/srv/luvaro",
       false},
      {"installed, XDG_DATA_HOME set",
       instalado,
       {nullptr, "/x/dados", "/home/u"},
       "/x/dados/luvaro",
       instalado,
       true},
      {"installed, XDG_DATA_HOME unset: ~/.local/share",
       instalado,
       {nullptr, nullptr, "/home/u"},
       "/home/u/.local/share/luvaro",
       instalado,
       true},
      {"installed, XDG_DATA_HOME empty",
       instalado,
       {nullptr, "", "/home/u"},
       "/home/u/.local/share/luvaro",
       instalado,
       true},
      {"installed, XDG_DATA_HOME relative: ignored",
       instalado,
       {nullptr, "dados", "/home/u"},
       "/home/u/.local/share/luvaro",
       instalado,
       true},
      {"installed, empty LUVARO_HOME counts as unset",
       instalado,
       {"", "/x/dados", "/home/u"},
       "/x/dados/luvaro",
       instalado,
       true},
      {"installed, LUVARO_HOME overrides everything",
       instalado,
       {"/srv/luvaro", "/x/dados", "/home/u"},
       "/srv/luvaro",
       "/srv/luvaro",
       true},
      {"installed, neither XDG_DATA_HOME nor HOME: beside the program",
       instalado,
       {nullptr, nullptr, nullptr},
       instalado,
       instalado,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TPastasAplicacao pastas = ResolverPastasAplicacao(c.exe, c.env);
    EXPECT_EQ(pastas.Usuario, c.usuario);
    EXPECT_EQ(pastas.Programa, c.programa);
    EXPECT_EQ(pastas.InstaladoPorPacote, c.instalado);
  }
}

// A folder named like the mark is no mark (and a build tree never has the file).
TEST(PastasAplicacao, OnlyAFileMarksAnInstalledProgram) {
  TempDir programa{"luvaro-pastas-marca"};
  fs::create_directory(programa / std::string(kMarcadorPacote));
  const TPastasAplicacao pastas =
      ResolverPastasAplicacao(programa.path(), {nullptr, "/x/dados", "/home/u"});
  EXPECT_FALSE(pastas.InstaladoPorPacote);
  EXPECT_EQ(pastas.Usuario, programa.path());
}

// What the program reads but never writes comes from the user's folder when it has its own
// (a folder or a file of that name), else from the installed program's.
TEST(PastasAplicacao, ReadFromTheUsersFolderWhenItHasItsOwn) {
  TempDir raiz{"luvaro-pastas-leitura"};
  TPastasAplicacao pastas;
  pastas.Usuario = raiz / "usuario";
  pastas.Programa = raiz / "programa";
  pastas.InstaladoPorPacote = true;
  fs::create_directories(pastas.Usuario / "cadeias");
  WriteFile(pastas.Usuario / "eSocialServicos.ini", "[eSocial_H]\r\n");
  for (const char* nome : {"schemas", "cadeias"}) fs::create_directories(pastas.Programa / nome);

  struct Case {
    const char* nome;
    fs::path esperado;
  } cases[] = {
      {"schemas", pastas.Programa / "schemas"},
      {"cadeias", pastas.Usuario / "cadeias"},
      {"eSocialServicos.ini", pastas.Usuario / "eSocialServicos.ini"},
      {"ReinfServicos.ini", pastas.Programa / "ReinfServicos.ini"},  // neither has one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(pastas.Leitura(c.nome), c.esperado);
  }

  // One folder for both (build tree, LUVARO_HOME): always that folder.
  pastas.Programa = pastas.Usuario;
  EXPECT_EQ(pastas.Leitura("schemas"), pastas.Usuario / "schemas");
}

}  // namespace
}  // namespace luvaro
