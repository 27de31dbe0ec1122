#pragma once

// The asynchronous lot services of the EFD-Reinf stand-in (layout 2.1.2, REST): a lot posted to
// /recepcao/lotes is checked and answered at once with its protocol; its result is fetched with
// GET /consulta/lotes/{protocol}, "in processing" on the first query (or the first --pending
// ones) and processed afterwards, with an R-9001-shaped retornoEvento per event (R-9011-shaped
// for the closing R-2099). Statuses and codes are the program's table
// (reinf/reinf_rest_codigos.h), so the client and the stand-in agree.

#include <memory>
#include <optional>
#include <string_view>

#include "tools/sim/reinf_service.h"

namespace luvaro::sim::reinf {

class ReinfRestService {
 public:
  // The 2.1.2 schemas are read from config.schemas / "v2_01_02". libxml2 and libxmlsec1 must be
  // initialised by the caller.
  explicit ReinfRestService(ReinfConfig config);
  ~ReinfRestService();
  ReinfRestService(const ReinfRestService&) = delete;  // owns the run's lots
  ReinfRestService& operator=(const ReinfRestService&) = delete;

  // Thread-safe; never throws for anything a client sends.
  HttpReply ReceberLote(const HttpRequest& request);
  HttpReply ConsultarLote(std::string_view protocolo);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The reply of a simulated failure of the REST services, in the service's reply form: for
// "lote-rejeitado" a 422 refusing the lot (cdResposta 7), for "soap-fault" a 500 of the service
// (cdResposta 99); nothing for other kinds.
std::optional<HttpReply> FalhaSimuladaRest(std::string_view kind);

}  // namespace luvaro::sim::reinf
