// Writing and reading a 500-item document with the XML writer and reader; the time per item
// is reported as the "us_per_item" counter.

#include <benchmark/benchmark.h>

#include <string>

#include "dfe/xml/gerador.h"
#include "dfe/xml/leitor.h"

namespace luvaro {
namespace {

constexpr int kItens = 500;

std::string Documento() {
  TGerador g;
  g.wGrupo("lote");
  for (int i = 1; i <= kItens; ++i) {
    g.wGrupo("item Id=\"ID" + std::to_string(i) + "\"");
    g.wCampo(TTipoCampo::tcInt, "i01", "nItem", 1, 5, 1, i);
    g.wCampo(TTipoCampo::tcStr, "i02", "descricao", 1, 60, 1,
             "Serviço de manutenção  & reparo nº ");
    g.wCampo(TTipoCampo::tcDe2, "i03", "valor", 1, 15, 1, 1234.5 + i);
    g.wCampo(TTipoCampo::tcDat, "i04", "data", 10, 10, 1, Variant::Date(43602 + i));
    g.wCampoCNPJCPF("i05", "i06", "11.222.333/0001-81");
    g.wGrupo("/item");
  }
  g.wGrupo("/lote");
  return g.ArquivoFormatoXML();
}

void BM_TGeradorEscrita(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Documento());
  }
  state.counters["us_per_item"] =
      benchmark::Counter(static_cast<double>(kItens) * state.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TGeradorEscrita)->Unit(benchmark::kMicrosecond);

void BM_TLeitorLeitura(benchmark::State& state) {
  const std::string documento = Documento();
  double soma = 0;
  for (auto _ : state) {
    TLeitor l;
    l.SetArquivo(documento);
    for (int i = 1; i <= kItens; ++i) {
      l.rExtrai(1, "item", "", i);
      soma += l.rCampo(TTipoCampo::tcDe2, "valor").AsFloat().value_or(0);
      benchmark::DoNotOptimize(l.rCampo(TTipoCampo::tcStr, "descricao"));
      benchmark::DoNotOptimize(l.rCampo(TTipoCampo::tcDat, "data"));
      benchmark::DoNotOptimize(l.rAtributo("Id"));
    }
  }
  benchmark::DoNotOptimize(soma);
  state.counters["us_per_item"] =
      benchmark::Counter(static_cast<double>(kItens) * state.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TLeitorLeitura)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace luvaro
