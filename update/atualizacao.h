#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/core/update_step.h"
#include "app/core/worker.h"
#include "update/config_atualizacao.h"
#include "update/versao.h"

namespace luvaro {

class IAppLoop;
class IFront;
class THttpDownloadProgress;

// The update check that runs before every job, on a thread of its own: asks the update
// server for the latest version, compares it with this program and with the installed ERP,
// and ends in one of three ways that the start-up reads from the two flags: go on with the
// job (neither flag), stop with exit code 1 (TerminateProgram), or run the downloaded
// installer (IsAtualizar). Status texts and messages are handed to the main thread, and the
// check waits until they are shown and closed.
class TAtualizacao {
 public:
  TAtualizacao(TConfigAtualizacao pConfig, IFront& pFront, IAppLoop& pLoop);

  TNotifyString AtualizarStatus;
  std::string VersaoOrvaneInstalada;  // command-line position 1

  // Set once a complete installer is in the application folder, as Instalador().
  bool IsAtualizar() const { return FIsAtualizar; }
  // The downloaded installer: "Luvaro-install.<process id>" in the application folder, a name
  // no other instance uses; the start-up renames it to "Luvaro-install" just before starting it.
  const std::filesystem::path& Instalador() const { return FInstalador; }
  // Set when the program must stop (exit code 1).
  bool TerminateProgram() const { return FTerminateProgram; }

  // The whole check. A failed query is told in a message and the check ends with neither
  // flag. A version without any digit ends it with EVersaoInvalida and neither flag, no
  // message. A failed or incomplete download is written to the log, leaves no file of its own
  // behind (the installer already in place stays) and ends it with neither flag. So does an
  // installer that cannot be trusted: a plain-HTTP address after a query over HTTPS (never
  // downloaded), and a download whose SHA-256 differs from the one the answer states. A program
  // installed by a system package only writes a newer version to the log and goes on (the
  // package manager updates it); an ERP below this program's minimum still stops it.
  void VerificarAtualizacao();

 private:
  std::optional<TResultVersao> ConsultarVersaoServidor();
  void BaixarInstalador(const TResultVersao& pVersao);
  void DownloadChange(THttpDownloadProgress& Sender);
  void Status(const std::string& pTexto);

  TConfigAtualizacao FConfig;
  IFront& FFront;
  IAppLoop& FLoop;
  bool FIsAtualizar = false;
  bool FTerminateProgram = false;
  std::filesystem::path FInstalador;
};

// Removes from the folder the installer downloads of runs that no longer run
// ("Luvaro-install.<process id>" and "Luvaro-install.<process id>.<...>.parcial" of a process
// that is not running). The installer in place and the downloads of running instances stay;
// nothing is removed when the running processes cannot be listed.
void RemoverDownloadsAbandonados(const std::filesystem::path& pPasta);

// The update step for the start-up (app/core/update_step.h): runs a TAtualizacao with the
// configuration and hands its flags back.
UpdateStep CriarPassoAtualizacao(TConfigAtualizacao pConfig);

}  // namespace luvaro
