// The ERP's lot as it arrives: the body decoded by the charset its Content-Type names (the
// last input byte chooses one), then the JSON reader. The reader fails only with EDFeException;
// what it accepts holds valid UTF-8 texts, and an object of texts written by the program and
// read again gives the same members.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "dfe/dfe_exception.h"
#include "integration/erp_http.h"
#include "integration/erp_json.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr std::array<const char*, 6> kContentTypes = {
    "application/json", "application/json; charset=utf-8", "application/json;charset=ISO-8859-1",
    "application/json; charset=\"windows-1252\"", "application/json; charset=koi8-r",
    "text/plain; format=flowed; charset=us-ascii"};

// Every text of the document (names and scalars) is valid UTF-8.
void ConferirTextos(const luvaro::JsonNode& no, int profundidade) {
  LUVARO_FUZZ_CHECK(profundidade <= 64);
  LUVARO_FUZZ_CHECK(luvaro::fuzz::Utf8Estrito(no.text));
  for (const luvaro::JsonMember& m : no.members) {
    LUVARO_FUZZ_CHECK(luvaro::fuzz::Utf8Estrito(m.name));
    ConferirTextos(m.value, profundidade + 1);
  }
  for (const luvaro::JsonNode& item : no.items) ConferirTextos(item, profundidade + 1);
}

// The scalar members of an object, written as the program writes a result and read again.
void IdaEVolta(const luvaro::JsonNode& objeto) {
  std::vector<std::pair<std::string, std::string>> membros;
  for (const luvaro::JsonMember& m : objeto.members) {
    if (m.value.kind == luvaro::JsonNode::Kind::Scalar) membros.emplace_back(m.name, m.value.text);
  }
  const luvaro::JsonNode relido = luvaro::ParseJson(luvaro::JsonObjectText(membros));
  LUVARO_FUZZ_CHECK(relido.kind == luvaro::JsonNode::Kind::Object);
  LUVARO_FUZZ_CHECK(relido.members.size() == membros.size());
  for (std::size_t i = 0; i < membros.size(); ++i) {
    LUVARO_FUZZ_CHECK(relido.members[i].name == membros[i].first);
    LUVARO_FUZZ_CHECK(relido.members[i].value.text == membros[i].second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const char* contentType =
      kContentTypes[fdp.ConsumeIntegralInRange<std::size_t>(0, kContentTypes.size() - 1)];
  const std::string corpo = fdp.ConsumeRemainingBytesAsString();
  std::string texto;
  try {
    texto = luvaro::ErpBodyAsUtf8(corpo, contentType);
  } catch (const luvaro::EDFeException&) {
    return 0;  // not valid in its charset, or a charset the program does not read
  }
  LUVARO_FUZZ_CHECK(luvaro::fuzz::Utf8Estrito(texto));
  try {
    const luvaro::JsonNode raiz = luvaro::ParseJson(texto);
    ConferirTextos(raiz, 0);
    if (raiz.kind == luvaro::JsonNode::Kind::Object) IdaEVolta(raiz);
    if (const luvaro::JsonNode* empresas = raiz.Find("empresas")) {
      for (const luvaro::JsonNode& empresa : empresas->items) {
        if (const luvaro::JsonNode* arquivos = empresa.Find("arquivos")) IdaEVolta(*arquivos);
      }
    }
  } catch (const luvaro::EDFeException&) {
    // not a JSON document: the run fails with the reader's message
  }
  return 0;
}
