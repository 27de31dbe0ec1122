// The EFD-Reinf reply documents: the send-lot reply (R-5001 per event) and the answer of both
// queries (R-5011 or the receipts). The last input byte chooses the document; the rest is the
// reply text. Reading never raises (an escaping exception ends the run), and the INI texts of
// what was read are made for every event read.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "reinf/ret_consulta.h"
#include "reinf/ret_envio_lote.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const bool consulta = fdp.ConsumeBool();
  const std::string texto = fdp.ConsumeRemainingBytesAsString();
  if (consulta) {
    luvaro::reinf::TRetConsulta ret;
    ret.Leitor().SetArquivo(texto);
    (void)ret.LerXml();
    (void)ret.SalvarINI();
  } else {
    luvaro::reinf::TRetEnvioLote ret;
    ret.Leitor().SetArquivo(texto);
    (void)ret.LerXml();
    for (std::size_t i = 0; i <= ret.evento.size(); ++i) {
      const std::string ini = ret.SalvarINI(i);
      // One past the last event names none.
      LUVARO_FUZZ_CHECK(i < ret.evento.size() || ini.empty());
    }
  }
  return 0;
}
