// The XML parse under every signature, validation and verification: entity substitution with
// bounded expansion, and nothing a document names is ever read. The last input byte chooses
// the operation. Signing with a software key must give a document whose signature verifies,
// whose size stays within the expansion bound, and that holds nothing of a local file the
// document points at (the secret file written in the working folder, /etc/passwd); every
// refusal is an EDFeException.

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/libxml2_global.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace {

// What the seeds' external entities point at, relative to the working folder.
constexpr char kSegredo[] = "conteudo-secreto-do-luvaro";
constexpr char kArquivoSegredo[] = "segredo.txt";
// The largest text one document may expand to; see the parse's own bound.
constexpr std::size_t kExpansaoMaxima = std::size_t{1} << 20;

struct Ambiente {
  luvaro::LibXml2Global libxml2;
  std::unique_ptr<luvaro::TDFeSSL> ssl = luvaro::test::MakeFacade(luvaro::test::SharedKey());
  std::string schema = std::string(LUVARO_SHARED_SCHEMAS) + "/esocial/evtInfoEmpregador.xsd";
};

Ambiente& Global() {
  static Ambiente ambiente;
  return ambiente;
}

bool Vazou(const std::string& texto) {
  return texto.find(kSegredo) != std::string::npos || texto.find("root:x:0:0") != std::string::npos;
}

struct Perfil {
  const char* docElement;
  const char* infElement;
  const char* IdAttr;
};
// As the events call the signer: the event element and the name of its identifier attribute.
constexpr Perfil kPerfis[] = {
    {"eSocial", "evtFechaEvPer", "ID"}, {"Reinf", "evt", "id"}, {"r", "e", "Id"}};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::ofstream(kArquivoSegredo) << kSegredo;
  (void)Global();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Ambiente& a = Global();
  FuzzedDataProvider fdp(data, size);
  const auto operacao = fdp.ConsumeIntegralInRange<unsigned>(0, 4);
  const std::string xml = fdp.ConsumeRemainingBytesAsString();
  std::string msg;
  try {
    switch (operacao) {
      case 3:
        (void)a.ssl->Validar(xml, a.schema, msg);
        break;
      case 4:
        (void)a.ssl->VerificarAssinatura(xml, msg, "", "", "", "", "Id");
        break;
      default: {
        const Perfil& p = kPerfis[operacao];
        const std::string assinado =
            a.ssl->Assinar(xml, p.docElement, p.infElement, "", "", "", p.IdAttr);
        LUVARO_FUZZ_CHECK(!Vazou(assinado) || Vazou(xml));
        LUVARO_FUZZ_CHECK(assinado.size() <= 6 * (xml.size() + kExpansaoMaxima) + 65536);
        // Our own signature verifies. A document without the element to sign is signed whole
        // and the verification, which looks for the signature beside that element, does not
        // find it: the schema refuses such an event before it is sent.
        LUVARO_FUZZ_CHECK(
            a.ssl->VerificarAssinatura(assinado, msg, p.infElement, "", "", "", p.IdAttr) ||
            msg == "Erro: Falha ao localizar o nó de Assinatura");
        break;
      }
    }
  } catch (const luvaro::EDFeException&) {
    // not a document, or refused: the caller reports the message
  }
  LUVARO_FUZZ_CHECK(!Vazou(msg) || Vazou(xml));
  return 0;
}
