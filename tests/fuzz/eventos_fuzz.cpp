// The eSocial event container loading the ERP's documents: splitting the text into
// documents, recognising each one's type, finding its Id, and signing it with a software key
// (the checks of the signing input run before the key is used) and validating it against its
// schema. A document is refused only with EDFeException, and after a load that raised nothing
// every event the container holds carries a signature.

#include <cctype>
#include <memory>
#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/libxml2_global.h"
#include "esocial/eventos.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace {

namespace fs = std::filesystem;

struct Ambiente {
  luvaro::LibXml2Global libxml2;  // first, as in the program's main()
  luvaro::test::TempDir pasta{"luvaro-fuzz-eventos"};
  std::unique_ptr<luvaro::TeSocialComponente> componente =
      luvaro::test::NovoComponente(pasta.path());
};

// A "<Signature" element in any letter case, as the container tells a signed document.
bool TemElementoAssinatura(const std::string& xml) {
  std::string minusculo = xml;
  for (char& c : minusculo) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t p = minusculo.find("<signature"); p != std::string::npos;
       p = minusculo.find("<signature", p + 1)) {
    const std::size_t fim = p + 10;
    if (fim == minusculo.size() || minusculo[fim] == '>' || minusculo[fim] == '/' ||
        std::isspace(static_cast<unsigned char>(minusculo[fim])))
      return true;
  }
  return false;
}

Ambiente& Global() {
  static Ambiente ambiente;
  return ambiente;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  (void)Global();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Ambiente& a = Global();
  luvaro::TEventos& eventos = a.componente->Eventos();
  eventos.Clear();
  const std::string texto(luvaro::fuzz::Bytes(data, size));
  bool carregou = false;
  bool recusado = false;
  try {
    carregou = eventos.LoadFromString(texto);
  } catch (const luvaro::EDFeException&) {
    // an unknown type, a document that is not XML, a schema failure: the run reports it (and
    // the event that failed keeps its document as far as it got)
    recusado = true;
  }
  LUVARO_FUZZ_CHECK(!carregou || eventos.Count() > 0);
  for (luvaro::TeSocialGrupo* grupo : eventos.Grupos()) {
    for (luvaro::TeSocialColecaoEventos* colecao : grupo->Colecoes()) {
      for (int i = 0; i < colecao->Count(); ++i) {
        LUVARO_FUZZ_CHECK(recusado || TemElementoAssinatura(colecao->Evento(i).XML()));
      }
    }
  }
  eventos.Clear();
  std::error_code ec;
  fs::remove_all(a.pasta.path() / "Docs", ec);
  return 0;
}
