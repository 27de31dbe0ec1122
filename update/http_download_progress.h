#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "dfe/server_identity.h"

namespace luvaro {

// An HTTP(S) download into a file with a percentage that moves as the body arrives; the
// update check downloads the installer with it.
//
// A download is complete or leaves nothing behind: the body goes to a temporary file beside
// the target, which replaces the target only when the status was 200, every announced byte
// arrived and the body was not empty. Any other end removes the temporary file, leaves the
// target as it was, and throws.
class THttpDownloadProgress {
 public:
  using TNotifyEvent = std::function<void(THttpDownloadProgress& Sender)>;

  // Raised on every assignment of Progress, even with an unchanged value.
  TNotifyEvent OnChange;
  // Raised once when a download has ended, successfully or not.
  TNotifyEvent OnEnd;
  // How the servers of an https download are checked (on, the system's roots only, unless
  // set otherwise).
  ServerIdentityCheck Identidade;

  // Downloads aFileUrl (http or https, redirects followed, 30 s read time-out) into
  // aDestinationFile, creating its folder when missing. Progress starts at 0; when the
  // server announces the body's size it follows the bytes received (rounded to the nearest
  // percent, halves to the even one), else it stays at 0; it is 100 once the download is
  // complete. Throws EDFeException on any failure, after OnEnd.
  void DownloadFile(const std::string& aFileUrl, const std::filesystem::path& aDestinationFile);

  int Progress() const { return FProgress; }
  void SetProgress(int pProgress);

  // The announced size of the body being received; 0 when not announced or when no download
  // runs.
  std::int64_t BytesToTransfer() const { return FBytesToTransfer; }

 private:
  friend struct DownloadEmCurso;

  void Baixar(const std::string& aFileUrl, const std::filesystem::path& aDestinationFile);

  int FProgress = 0;
  std::int64_t FBytesToTransfer = 0;
};

// The percentage of pRecebidos out of pTotal (pTotal > 0), rounded to the nearest integer,
// halves to the even neighbour.
int PercentualProgresso(std::int64_t pRecebidos, std::int64_t pTotal);

}  // namespace luvaro
