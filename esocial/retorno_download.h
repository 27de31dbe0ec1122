#pragma once

#include <string>
#include <vector>

#include "dfe/xml/leitor.h"
#include "esocial/retorno_comum.h"

namespace luvaro {

// One requested event of a download: its own status, identifier, receipt number and the
// document returned (the receipt's document when both the event and its receipt came).
struct TArquivoItem {
  TStatus Status;
  std::string Id;
  std::string nrRec;
  std::string XML;
};

// The reply of the download service (download).
class TRetDownloadEvt {
 public:
  TLeitor& Leitor() { return FLeitor; }
  const TStatus& Status() const { return FStatus; }
  const std::vector<TArquivoItem>& Arquivo() const { return FArquivo; }

  // Reads Leitor's document into the objects: true when the root group was found and reading
  // raised nothing. Never raises; what was read before a failure stays.
  bool LerXml() noexcept;

 private:
  TLeitor FLeitor;
  TStatus FStatus;
  std::vector<TArquivoItem> FArquivo;
};

}  // namespace luvaro
