// The eSocial reply documents: lot send, lot query (with the totalizers it carries), identifier
// query, download, and each totalizer read on its own. The last input byte chooses the
// document; the rest is the reply text as the call hands it to the reader. Reading never
// raises (LerXml is noexcept: an escaping exception ends the run), and a downloaded document
// is a piece of the reply.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <memory>
#include <string>

#include "dfe/dfe_exception.h"
#include "esocial/retorno_consulta_ident.h"
#include "esocial/retorno_consulta_lote.h"
#include "esocial/retorno_download.h"
#include "esocial/retorno_envio_lote.h"
#include "esocial/retorno_totalizador.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using luvaro::fuzz::Contido;

constexpr std::array<const char*, 6> kTotalizadores = {"S5001", "S5002", "S5003",
                                                       "S5011", "S5012", "S5013"};

// The reply read as the call reads it: its text into the reader, then LerXml.
template <class TRetorno>
std::unique_ptr<TRetorno> Ler(const std::string& texto) {
  auto ret = std::make_unique<TRetorno>();
  ret->Leitor().SetArquivo(texto);
  (void)ret->LerXml();
  return ret;
}

void ConsultaLote(const std::string& texto) {
  const auto ret = Ler<luvaro::TRetConsultaLote>(texto);
  for (const luvaro::TRetEventoItem& evento : ret->RetEventos()) {
    for (const luvaro::TTotItem& tot : evento.tot) {
      if (tot.Evento) (void)tot.Evento->GetEvento().SalvarINI();
    }
  }
}

void Download(const std::string& texto) {
  const auto ret = Ler<luvaro::TRetDownloadEvt>(texto);
  for (const luvaro::TArquivoItem& arquivo : ret->Arquivo()) {
    // the document of a requested event is cut out of the reply, never made up
    LUVARO_FUZZ_CHECK(Contido(arquivo.XML, texto));
  }
}

void Totalizador(const std::string& tipo, const std::string& texto) {
  const auto evento = luvaro::CriarEventoTotalizador(tipo);
  LUVARO_FUZZ_CHECK(evento != nullptr);
  try {
    evento->SetXml(texto);
  } catch (const luvaro::EDFeException&) {
    // a field out of its domain; the lot query reports it as an unreadable reply
  }
  (void)evento->GetEvento().SalvarINI();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const auto documento = fdp.ConsumeIntegralInRange<unsigned>(0, 4 + kTotalizadores.size() - 1);
  const std::string texto = fdp.ConsumeRemainingBytesAsString();
  switch (documento) {
    case 0:
      (void)Ler<luvaro::TRetEnvioLote>(texto);
      break;
    case 1:
      ConsultaLote(texto);
      break;
    case 2:
      (void)Ler<luvaro::TRetConsultaIdentEvt>(texto);
      break;
    case 3:
      Download(texto);
      break;
    default:
      Totalizador(kTotalizadores[documento - 4], texto);
      break;
  }
  return 0;
}
