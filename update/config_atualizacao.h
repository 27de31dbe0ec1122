#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/update_step.h"
#include "dfe/server_identity.h"

namespace luvaro {

// Where the update check asks and where it puts the installer; filled once at start-up.
struct TConfigAtualizacao {
  std::string UrlBase;                   // the update server, scheme://host[:port]
  std::filesystem::path PastaAplicacao;  // the application folder
  // How long the program waits once the installer's process has ended without ending it.
  std::chrono::milliseconds EsperaInstalador{kEsperaInstaladorPadrao};
  // How the update server and the installer's server are checked: on, against the system's
  // roots plus the application folder's cadeias/.
  ServerIdentityCheck Identidade;
  // Installed by a system package: the package manager updates the program, so a newer
  // version is only written to the log, never downloaded or started.
  bool InstaladoPorPacote = false;
};

// The update server used when none is configured.
std::string_view UrlAtualizacaoPadrao();

// The configuration from an optional server base (a LUVARO_ATUALIZACAO_URL value; empty or
// absent means the built-in server; trailing '/' are dropped) and the application folder,
// whose cadeias/ holds the extra authorities; servers are checked.
TConfigAtualizacao MontarConfigAtualizacao(std::optional<std::string_view> pUrlBase,
                                           std::filesystem::path pPastaAplicacao);

// The same from the environment: LUVARO_ATUALIZACAO_URL, the application folder and the
// cadeias/ in use (TUtil::GetAppPath, TUtil::GetDataPath), whether a system package installed
// the program, LUVARO_ESPERA_INSTALADOR_MS (a whole number of milliseconds
// from 1 on; else 60 seconds) and LUVARO_VERIFICAR_SERVIDOR ("0": servers unchecked, each
// request logging the warning). Called by main() before any thread starts.
TConfigAtualizacao ConfigAtualizacaoDoAmbiente();

// The version query's address: base + "/cloud/api/versao/sistema/get?identificacao=Luvaro".
std::string UrlConsultaVersao(const TConfigAtualizacao& pConfig);

}  // namespace luvaro
