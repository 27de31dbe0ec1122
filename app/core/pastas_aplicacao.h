#pragma once

#include <filesystem>
#include <string_view>

namespace luvaro {

// The file a system package installs beside the executable (and a build tree never has): its
// presence tells the program that it runs from a read-only system folder such as /opt/luvaro.
// The same executable is packaged as it is built, so a file of the installation, not a build
// option, makes the difference; dpkg removes it with the program.
inline constexpr std::string_view kMarcadorPacote = "instalado-por-pacote";

// The environment values that choose the folders (null when unset).
struct AmbientePastas {
  const char* luvaroHome = nullptr;   // LUVARO_HOME
  const char* xdgDataHome = nullptr;  // XDG_DATA_HOME
  const char* home = nullptr;         // HOME

  // The values of this process's environment.
  static AmbientePastas DoProcesso();
};

// Where the program keeps and finds its files.
//
// A build tree (or any copy without the package's marker) keeps everything in the executable's
// folder. A program installed by a system package cannot write there: its own files (Logs/,
// Docs/, Luvaro.param, a downloaded installer) go to the user's folder,
// $XDG_DATA_HOME/luvaro (~/.local/share/luvaro by default), and what the package ships
// (schemas/, cadeias/, the service tables) is read from the executable's folder unless the
// user's folder has its own. LUVARO_HOME, when set, is the one folder for everything.
struct TPastasAplicacao {
  std::filesystem::path Usuario;   // written: Logs/, Docs/, Luvaro.param, the installer
  std::filesystem::path Programa;  // read when Usuario holds no file or folder of that name
  bool InstaladoPorPacote = false;

  // Usuario / nome when that exists (a file or a folder), else Programa / nome.
  std::filesystem::path Leitura(std::string_view nome) const;
};

// The folders of a program whose executable lives in pPastaExecutavel, under the given
// environment. An XDG_DATA_HOME that is not an absolute path is ignored, as the XDG base
// directory rules say; without it and without an absolute HOME an installed program keeps its
// files beside the executable.
TPastasAplicacao ResolverPastasAplicacao(const std::filesystem::path& pPastaExecutavel,
                                         const AmbientePastas& pAmbiente);

}  // namespace luvaro
