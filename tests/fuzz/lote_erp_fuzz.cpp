// The walk over the ERP's lot (the answer to the event fetch, already in UTF-8) for the project
// type the last input byte chooses. The walk fails only with EDFeException; what it accepts is
// exactly the documents of every company in order, one lot-path report per company, the last
// company's lot path, and for eSocial and EFD-Reinf the numbers of one employer only.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "dfe/dfe_exception.h"
#include "integration/erp_json.h"
#include "integration/lote_erp.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr std::array<const char*, 3> kProjetos = {"esocial", "reinf", "esocialbx"};

const luvaro::JsonNode* Escalar(const luvaro::JsonNode* no) {
  return no && no->kind == luvaro::JsonNode::Kind::Scalar ? no : nullptr;
}

// The employer number a company declares for the project, read apart from the walk.
std::optional<std::string> Empregador(const luvaro::JsonNode& empresa, const std::string& projeto) {
  const luvaro::JsonNode* numero = nullptr;
  if (projeto == "esocial") {
    if (const luvaro::JsonNode* empregador = empresa.Find("empregador"))
      numero = Escalar(empregador->Find("nrInsc"));
  } else if (projeto == "reinf") {
    numero = Escalar(empresa.Find("documento"));
  }
  if (!numero) return std::nullopt;
  return numero->text;
}

// What an accepted lot must be, compared with the document read again on its own.
void ConferirLote(const luvaro::TLoteErp& lote, const std::string& corpo,
                  const std::string& projeto, std::size_t relatos) {
  const luvaro::JsonNode raiz = luvaro::ParseJson(corpo);
  const luvaro::JsonNode* empresas = raiz.Find("empresas");
  LUVARO_FUZZ_CHECK(empresas && empresas->kind == luvaro::JsonNode::Kind::Array);
  LUVARO_FUZZ_CHECK(relatos == empresas->items.size());

  std::size_t n = 0;
  std::optional<std::string> primeiro;
  for (const luvaro::JsonNode& empresa : empresas->items) {
    const luvaro::JsonNode* arquivos = empresa.Find("arquivos");
    LUVARO_FUZZ_CHECK(arquivos && arquivos->kind == luvaro::JsonNode::Kind::Object);
    for (const luvaro::JsonMember& arquivo : arquivos->members) {
      LUVARO_FUZZ_CHECK(n < lote.dados.eventos.size());
      LUVARO_FUZZ_CHECK(lote.dados.eventos[n++] == arquivo.value.text);
    }
    if (projeto == "esocial" || projeto == "reinf") {
      const std::optional<std::string> empregador = Empregador(empresa, projeto);
      LUVARO_FUZZ_CHECK(empregador.has_value());
      LUVARO_FUZZ_CHECK(!primeiro || *primeiro == *empregador);
      primeiro = empregador;
    }
  }
  LUVARO_FUZZ_CHECK(n == lote.dados.eventos.size());
  if (primeiro) LUVARO_FUZZ_CHECK(lote.dados.empregadorInscricao == *primeiro);

  const luvaro::JsonNode* ultimoLotePath =
      empresas->items.empty() ? nullptr : Escalar(empresas->items.back().Find("lotePath"));
  LUVARO_FUZZ_CHECK(lote.lotePath == (ultimoLotePath ? ultimoLotePath->text : std::string()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const std::string projeto =
      kProjetos[fdp.ConsumeIntegralInRange<std::size_t>(0, kProjetos.size() - 1)];
  const std::string corpo = fdp.ConsumeRemainingBytesAsString();
  if (!luvaro::fuzz::Utf8Estrito(corpo)) return 0;  // the charset step hands over UTF-8 only

  std::size_t relatos = 0;
  try {
    const luvaro::TLoteErp lote =
        luvaro::LerLoteErp(corpo, projeto, [&](const std::optional<std::string>& falha) {
          LUVARO_FUZZ_CHECK(!falha || !falha->empty());
          ++relatos;
        });
    ConferirLote(lote, corpo, projeto, relatos);
  } catch (const luvaro::EDFeException&) {
    // not a lot: the run fails with the reader's message
  }
  return 0;
}
