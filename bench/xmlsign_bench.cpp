// Signing and validating real-shaped events with a software (PFX) key against the
// government's XSDs, and, in the same run, the floor under it: RSA-2048 signing alone,
// canonicalisation alone, validation with a schema compiled beforehand, and what compiling
// the schema on every call would cost.
//
//   xmlsign_bench --benchmark_counters_tabular=true
//
// AssinarEValidar/1000 reports events per second (items_per_second) over 1,000 events, the floor
// of one event measured in the same run (piso_us) and its own time per event as a multiple of
// that floor (vezes_o_piso); Assinar and Validar are its two halves.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/libxml2_global.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

constexpr char kSenha[] = "senha-bench";

struct Evento {
  std::string xml;
  std::string schema;
  std::string raiz;
  std::string infElement;
  std::string IdAttr;
};

// Everything the benchmarks share, made once: the schemas folder, a PFX with a fresh
// RSA-2048 key, the events of both systems.
struct Ambiente {
  test::TempDir dir{"luvaro-bench-xmlsign"};
  std::string pfx;
  EVP_PKEY* chave = nullptr;
  std::vector<Evento> eventos;

  Ambiente() {
    test::CopySchemas(dir / "schemas");
    chave = EVP_RSA_gen(2048);
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 4242);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 365);
    X509_NAME_add_entry_by_txt(
        X509_get_subject_name(cert), "CN", MBSTRING_UTF8,
        reinterpret_cast<const unsigned char*>("EMPRESA BENCH LTDA:12345678000195"), -1, -1, 0);
    X509_set_issuer_name(cert, X509_get_subject_name(cert));
    X509_set_pubkey(cert, chave);
    X509_sign(cert, chave, EVP_sha256());
    PKCS12* p12 = PKCS12_create(kSenha, "bench", chave, cert, nullptr, 0, 0, 0, 0, 0);
    unsigned char* der = nullptr;
    const int tamanho = i2d_PKCS12(p12, &der);
    pfx.assign(reinterpret_cast<char*>(der), static_cast<std::size_t>(tamanho));
    OPENSSL_free(der);
    PKCS12_free(p12);
    X509_free(cert);

    const auto fixtures = std::filesystem::path(LUVARO_SOURCE_DIR) / "tests/fixtures/xmlsign";
    const auto esquema = [&](const char* nome) { return (dir / "schemas" / nome).string(); };
    eventos = {
        {test::ReadFile(fixtures / "esocial-v02_05_00-evtAdmPrelim.xml"),
         esquema("evtAdmPrelim-v02_05_00.xsd"), "eSocial", "evtAdmPrelim", "ID"},
        {test::ReadFile(fixtures / "esocial-v02_05_00-evtFechaEvPer.xml"),
         esquema("evtFechaEvPer-v02_05_00.xsd"), "eSocial", "evtFechaEvPer", "ID"},
        {test::ReadFile(fixtures / "reinf-v1_04_00-evtInfoContri.xml"),
         esquema("evtInfoContribuinte-v1_04_00.xsd"), "Reinf", "evtInfoContri", "id"},
        {test::ReadFile(fixtures / "reinf-v1_04_00-evtFechaEvPer.xml"),
         esquema("evtFechamento-v1_04_00.xsd"), "Reinf", "evtFechaEvPer", "id"},
    };
  }
  ~Ambiente() { EVP_PKEY_free(chave); }
  Ambiente(const Ambiente&) = delete;  // owns the key and the temporary folder
  Ambiente& operator=(const Ambiente&) = delete;

  std::unique_ptr<TDFeSSL> Facade() const {
    auto ssl = std::make_unique<TDFeSSL>();
    ssl->SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    ssl->SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    ssl->SetSSLDgst(TSSLDgst::dgstSHA256);
    ssl->SetDadosPFX(pfx);
    ssl->SetSenha(kSenha);
    return ssl;
  }
};

// Made in main(), after libxml2's process set-up.
Ambiente* gAmbiente = nullptr;

// The RSA-2048 PKCS #1 v1.5 signature (SHA-256) of the text with the bench key, OpenSSL alone.
void AssinaturaRSA(const std::string& texto, std::vector<unsigned char>& assinatura) {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  std::size_t tamanho = assinatura.size();
  EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, gAmbiente->chave);
  EVP_DigestSign(ctx, assinatura.data(), &tamanho,
                 reinterpret_cast<const unsigned char*>(texto.data()), texto.size());
  EVP_MD_CTX_free(ctx);
}

// The floor of one event of the path below, in seconds, measured in the same run: what libxml2
// and OpenSSL alone need for the same work on the same events (parse, inclusive C14N, one
// RSA-2048 signature of a SignedInfo-sized text, validation of the signed document against its
// schema compiled beforehand), averaged over `vezes` rounds of the events.
double PisoPorEvento(TDFeSSL& ssl, int vezes) {
  struct Preparado {
    std::string xml;
    std::string assinado;
    xmlSchemaPtr schema;
  };
  std::vector<Preparado> preparados;
  {
    const SchemaLoadScope pasta(gAmbiente->dir / "schemas");
    for (const Evento& e : gAmbiente->eventos) {
      xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(e.schema.c_str());
      preparados.push_back({e.xml, ssl.Assinar(e.xml, e.raiz, e.infElement, "", "", "", e.IdAttr),
                            xmlSchemaParse(parser)});
      xmlSchemaFreeParserCtxt(parser);
    }
  }
  const std::string signedInfo(900, 'x');
  std::vector<unsigned char> assinatura(512);
  const auto inicio = std::chrono::steady_clock::now();
  for (int v = 0; v < vezes; ++v) {
    for (const Preparado& p : preparados) {
      xmlDocPtr doc =
          xmlReadMemory(p.xml.data(), static_cast<int>(p.xml.size()), nullptr, nullptr, 0);
      xmlChar* c14n = nullptr;
      benchmark::DoNotOptimize(xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &c14n));
      xmlFree(c14n);
      xmlFreeDoc(doc);

      AssinaturaRSA(signedInfo, assinatura);

      xmlDocPtr assinado = xmlReadMemory(p.assinado.data(), static_cast<int>(p.assinado.size()),
                                         nullptr, nullptr, 0);
      xmlSchemaValidCtxtPtr validacao = xmlSchemaNewValidCtxt(p.schema);
      benchmark::DoNotOptimize(xmlSchemaValidateDoc(validacao, assinado));
      xmlSchemaFreeValidCtxt(validacao);
      xmlFreeDoc(assinado);
    }
  }
  const std::chrono::duration<double> tempo = std::chrono::steady_clock::now() - inicio;
  for (const Preparado& p : preparados) xmlSchemaFree(p.schema);
  return tempo.count() / (static_cast<double>(vezes) * static_cast<double>(preparados.size()));
}

// The program's path: sign an event and validate the result against its XSD. Besides events per
// second it reports the floor of one event (piso_us, measured just before) and the path's time
// per event as a multiple of it (vezes_o_piso).
void AssinarEValidar(benchmark::State& state) {
  auto ssl = gAmbiente->Facade();
  const double piso = PisoPorEvento(*ssl, 100);
  std::size_t i = 0;
  std::chrono::duration<double> tempo{};
  for (auto _ : state) {
    const auto inicio = std::chrono::steady_clock::now();
    for (int n = 0; n < state.range(0); ++n, ++i) {
      const Evento& e = gAmbiente->eventos[i % gAmbiente->eventos.size()];
      const std::string assinado = ssl->Assinar(e.xml, e.raiz, e.infElement, "", "", "", e.IdAttr);
      std::string msg;
      if (!ssl->Validar(assinado, e.schema, msg)) state.SkipWithError(msg.c_str());
    }
    tempo += std::chrono::steady_clock::now() - inicio;
  }
  const double eventos = static_cast<double>(state.iterations() * state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["piso_us"] = piso * 1e6;
  state.counters["vezes_o_piso"] = tempo.count() / eventos / piso;
}
BENCHMARK(AssinarEValidar)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The two halves of that path on their own.
void Assinar(benchmark::State& state) {
  auto ssl = gAmbiente->Facade();
  std::size_t i = 0;
  for (auto _ : state) {
    const Evento& e = gAmbiente->eventos[i++ % gAmbiente->eventos.size()];
    benchmark::DoNotOptimize(ssl->Assinar(e.xml, e.raiz, e.infElement, "", "", "", e.IdAttr));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Assinar)->Unit(benchmark::kMicrosecond);

void Validar(benchmark::State& state) {
  auto ssl = gAmbiente->Facade();
  const Evento& e = gAmbiente->eventos[2];
  const std::string assinado = ssl->Assinar(e.xml, e.raiz, e.infElement, "", "", "", e.IdAttr);
  for (auto _ : state) {
    std::string msg;
    benchmark::DoNotOptimize(ssl->Validar(assinado, e.schema, msg));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Validar)->Unit(benchmark::kMicrosecond);

// Floor 1: the RSA-2048 PKCS #1 v1.5 signature of a SignedInfo-sized text, OpenSSL alone.
void AssinaturaRSA2048(benchmark::State& state) {
  const std::string signedInfo(900, 'x');
  std::vector<unsigned char> assinatura(512);
  for (auto _ : state) AssinaturaRSA(signedInfo, assinatura);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AssinaturaRSA2048)->Unit(benchmark::kMicrosecond);

// Floor 2: inclusive C14N of an already parsed event, libxml2 alone.
void C14N(benchmark::State& state) {
  const Evento& e = gAmbiente->eventos[2];
  xmlDocPtr doc = xmlReadMemory(e.xml.data(), static_cast<int>(e.xml.size()), nullptr, nullptr, 0);
  for (auto _ : state) {
    xmlChar* saida = nullptr;
    benchmark::DoNotOptimize(xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &saida));
    xmlFree(saida);
  }
  xmlFreeDoc(doc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(C14N)->Unit(benchmark::kMicrosecond);

// Floor 3: validation of an already parsed, signed event with a schema compiled beforehand.
void ValidacaoComSchemaPronto(benchmark::State& state) {
  auto ssl = gAmbiente->Facade();
  const Evento& e = gAmbiente->eventos[2];
  const std::string assinado = ssl->Assinar(e.xml, e.raiz, e.infElement, "", "", "", e.IdAttr);
  xmlDocPtr doc =
      xmlReadMemory(assinado.data(), static_cast<int>(assinado.size()), nullptr, nullptr, 0);
  const SchemaLoadScope pasta(gAmbiente->dir / "schemas");
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(e.schema.c_str());
  xmlSchemaPtr schema = xmlSchemaParse(parser);
  if (schema == nullptr) state.SkipWithError("schema");
  for (auto _ : state) {
    xmlSchemaValidCtxtPtr validacao = xmlSchemaNewValidCtxt(schema);
    benchmark::DoNotOptimize(xmlSchemaValidateDoc(validacao, doc));
    xmlSchemaFreeValidCtxt(validacao);
  }
  xmlSchemaFree(schema);
  xmlSchemaFreeParserCtxt(parser);
  xmlFreeDoc(doc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ValidacaoComSchemaPronto)->Unit(benchmark::kMicrosecond);

// What each validation would add if the XSD (with its xmldsig import) were compiled per call.
void CompilarSchema(benchmark::State& state) {
  const Evento& e = gAmbiente->eventos[static_cast<std::size_t>(state.range(0))];
  const SchemaLoadScope pasta(gAmbiente->dir / "schemas");
  for (auto _ : state) {
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(e.schema.c_str());
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    if (schema == nullptr) state.SkipWithError("schema");
    xmlSchemaFree(schema);
    xmlSchemaFreeParserCtxt(parser);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CompilarSchema)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace luvaro

int main(int argc, char** argv) {
  const luvaro::LibXml2Global libxml2;
  luvaro::Ambiente ambiente;
  luvaro::gAmbiente = &ambiente;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
