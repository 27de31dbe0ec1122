// The certificate store's listing on a SoftHSM2 token as it fills up (1 to 8 certificates,
// each with its key pair), before and after the token's login, with the module already
// loaded: what a choice or a load pays each time it reads the store. Beside it, the floor: one
// search for the token's certificates alone (the objects any listing has to read).
//
//   cert_store_bench --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "app/headless/headless_front.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/p11.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/token.h"

namespace luvaro {
namespace {

constexpr const char* kPares[] = {"empresa", "san", "ecpf", "vencido"};

// A token with `pares` certificates and keys (the test certificates, twice over past four).
std::unique_ptr<test::ScratchToken> Token(int pares) {
  auto token = std::make_unique<test::ScratchToken>();
  for (int i = 0; i < pares; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "%02X", i + 1);
    token->PutCertificate(kPares[i % 4], id).PutKeyPair(kPares[i % 4], id);
  }
  return token;
}

void Listagem(benchmark::State& state, bool logado) {
  test::TestToken::Shared();
  const auto token = Token(static_cast<int>(state.range(0)));
  const test::ScratchToken::Use use(*token);
  std::ostringstream saida;
  HeadlessFront front(HeadlessSettings{std::nullopt, SecureString(test::TestToken::kPin)}, saida);
  TokenEnvironment env(test::TestToken::SoftHsmModule());
  TDFeSSL ssl;
  ssl.SetTokenEnv(&env);
  ssl.SetFront(&front);
  ssl.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  ssl.LerCertificadosStore();  // loads the module
  if (logado) {
    ssl.SetNumeroSerie(test::TestToken::Shared().Certificate("empresa").serial);
    ssl.CarregarCertificado();
    ssl.CertContextWinApi();  // logs in from the headless PIN; the login stays
    ssl.DescarregarCertificado();
  }
  for (auto _ : state) {
    ssl.LerCertificadosStore();
    benchmark::DoNotOptimize(ssl.ListaCertificados().Count());
  }
  state.counters["certificados"] = static_cast<double>(ssl.ListaCertificados().Count());
}

void BM_ListagemAntesDoLogin(benchmark::State& state) {
  Listagem(state, false);
}
void BM_ListagemDepoisDoLogin(benchmark::State& state) {
  Listagem(state, true);
}
BENCHMARK(BM_ListagemAntesDoLogin)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListagemDepoisDoLogin)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

// The floor: the certificates of the token read by one libp11 search, nothing matched.
void BM_PisoBuscaDeCertificados(benchmark::State& state) {
  test::TestToken::Shared();
  const auto token = Token(static_cast<int>(state.range(0)));
  const test::ScratchToken::Use use(*token);
  P11CtxPtr ctx(PKCS11_CTX_new());
  if (!ctx || PKCS11_CTX_load(ctx.get(), test::TestToken::SoftHsmModule().c_str()) != 0)
    return state.SkipWithError("SoftHSM2 cannot be loaded");
  P11LoadedModule module;
  module.Adopt(std::move(ctx));
  if (module.EnumerateSlots() != 0) return state.SkipWithError("no slots");
  PKCS11_SLOT* slot = PKCS11_find_token(module.ctx(), module.slots().data(),
                                        static_cast<unsigned int>(module.slots().size()));
  if (slot == nullptr) return state.SkipWithError("no token");
  for (auto _ : state) {
    PKCS11_CERT* certs = nullptr;
    unsigned int count = 0;
    PKCS11_enumerate_certs(slot->token, &certs, &count);
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_PisoBuscaDeCertificados)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace luvaro
