// The event models from INI text to the signed, validated document, with an A1 (software) key,
// beside the floor of the same run: one RSA-2048 signature plus the validation of the same
// document with a schema compiled beforehand.
//
//   modelos_bench --benchmark_counters_tabular=true
//
// items_per_second of IniParaDocumento is events per second; S-1200 carries 50 dmDev items,
// the EFD-Reinf R-2010 (layout 1.04.00) 100 invoices (nfs).
// Piso is the floor for the same document: what signing and validating cost at the least, so
// that the difference is what reading the INI, building the document and the signature's
// canonicalisation and digests add.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include "dfe/ssl/libxml2_global.h"
#include "esocial/esocial_componente.h"
#include "esocial/modelos/evt_info_empregador.h"
#include "esocial/modelos/gerados/evt_remun.h"
#include "reinf/modelos/evt_info_contri.h"
#include "reinf/modelos/evt_serv_tom.h"
#include "reinf/reinf_componente.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace luvaro {
namespace {

constexpr int kItensDmDev = 50;
constexpr int kNotasFiscais = 100;

// The section headers of a list item's INI text ("[nfs001]", and those of the groups under it,
// "[infoTpServ00101]") with the item number 001 that follows each name set to `numero`.
std::string Renumerar(const std::string& item, const std::string& numero) {
  std::string texto;
  std::istringstream linhas(item);
  std::string linha;
  while (std::getline(linhas, linha)) {
    if (linha.starts_with('[')) {
      const std::size_t fimNome =
          linha.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 1);
      if (fimNome != std::string::npos && linha.compare(fimNome, 3, "001") == 0)
        linha.replace(fimNome, 3, numero);
    }
    texto += linha + "\n";
  }
  return texto;
}

// An INI text with the two items of its list `lista` (and everything under them) repeated up
// to `itens`: the sections of item 001 copied under the numbers 003 onwards.
std::string ComItens(const std::string& ini, const std::string& lista, int itens) {
  const std::size_t inicio = ini.find("[" + lista + "001]");
  const std::size_t fim = ini.find("[" + lista + "002]");
  const std::string item = ini.substr(inicio, fim - inicio);
  std::string texto = ini;
  for (int i = 3; i <= itens; ++i) {
    char numero[8];
    std::snprintf(numero, sizeof numero, "%03d", i);
    texto += "\n" + Renumerar(item, numero);
  }
  return texto;
}

struct Ambiente {
  test::TempDir dir{"luvaro-bench-modelos"};
  std::unique_ptr<TeSocialComponente> componente;
  std::unique_ptr<reinf::TReinfComponente> reinf;
  std::string s1000;
  std::string s1200;
  std::string r1000;
  std::string r2010;
  EVP_PKEY* chave = nullptr;

  Ambiente() {
    test::CopySchemas(dir / "schemas");
    const test::TestToken& token = test::TestToken::Shared();
    componente = std::make_unique<TeSocialComponente>(dir.path().string());
    TConfiguracoeseSocial& c = componente->Configuracoes();
    c.Geral().SetSSLLib(TSSLLib::libWinCrypt);
    c.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    c.Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
    c.Arquivos().SetPathSchemas((dir / "schemas").string());
    c.Certificados().SetArquivoPFX(token.PfxFile().string());
    c.Certificados().SetSenha(std::string(test::TestToken::kPfxPassword));

    reinf = std::make_unique<reinf::TReinfComponente>(dir.path().string());
    reinf::TConfiguracoesReinf& r = reinf->Configuracoes();
    r.Geral().SetSSLLib(TSSLLib::libWinCrypt);
    r.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    r.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    r.Geral().SetVersaoDF(reinf::TVersaoReinf::v1_04_00);
    r.Arquivos().SetPathSchemas((dir / "schemas").string());
    r.Certificados().SetArquivoPFX(token.PfxFile().string());
    r.Certificados().SetSenha(std::string(test::TestToken::kPfxPassword));

    const auto modelos = std::filesystem::path(LUVARO_SOURCE_DIR) / "esocial/modelos/ini";
    s1000 = test::ReadFile(modelos / "S-1000-02_05_00.ini");
    s1200 = ComItens(test::ReadFile(modelos / "S-1200-02_05_00.ini"), "dmDev", kItensDmDev);
    const auto modelosReinf = std::filesystem::path(LUVARO_SOURCE_DIR) / "reinf/modelos/ini";
    r1000 = test::ReadFile(modelosReinf / "R-1000-1_04_00.ini");
    r2010 = ComItens(test::ReadFile(modelosReinf / "R-2010-1_04_00.ini"), "nfs", kNotasFiscais);

    // The same key for the floor, as OpenSSL reads it from the file.
    const std::string pfx = test::ReadFile(token.PfxFile());
    const auto* bytes = reinterpret_cast<const unsigned char*>(pfx.data());
    PKCS12* p12 = d2i_PKCS12(nullptr, &bytes, static_cast<long>(pfx.size()));
    X509* cert = nullptr;
    PKCS12_parse(p12, std::string(test::TestToken::kPfxPassword).c_str(), &chave, &cert, nullptr);
    X509_free(cert);
    PKCS12_free(p12);
  }
  ~Ambiente() { EVP_PKEY_free(chave); }
  Ambiente(const Ambiente&) = delete;  // owns the key and the temporary folder
  Ambiente& operator=(const Ambiente&) = delete;
};

// Made in main(), after libxml2's process set-up.
Ambiente* gAmbiente = nullptr;

template <class TEvento>
std::string Gerar(const std::string& ini) {
  if constexpr (std::is_base_of_v<reinf::TReinfEventoModelo, TEvento>) {
    TEvento evento(*gAmbiente->reinf);
    evento.LerArqIni(ini);
    return evento.XML();
  } else {
    TEvento evento(gAmbiente->componente.get());
    evento.LerArqIni(ini);
    return evento.XML();
  }
}

template <class TEvento>
void IniParaDocumento(benchmark::State& state, const std::string* ini) {
  for (auto _ : state) benchmark::DoNotOptimize(Gerar<TEvento>(*ini));
  state.SetItemsProcessed(state.iterations());
  const std::string documento = Gerar<TEvento>(*ini);
  state.counters["bytes_documento"] = static_cast<double>(documento.size());
  // The items of the repeated list that the document carries (S-1200's dmDev, R-2010's nfs),
  // so that a list the INI text did not fill shows here.
  std::size_t itens = 0;
  for (const char* lista : {"<dmDev>", "<nfs>"}) {
    for (std::size_t p = documento.find(lista); p != std::string::npos;
         p = documento.find(lista, p + 1))
      ++itens;
  }
  state.counters["itens_lista"] = static_cast<double>(itens);
}

// The floor: an RSA-2048 signature of a SignedInfo-sized text and the validation of the signed
// document, parsed beforehand, with its schema compiled beforehand.
template <class TEvento>
void Piso(benchmark::State& state, const std::string* ini, const char* schema) {
  const std::string documento = Gerar<TEvento>(*ini);
  xmlDocPtr doc =
      xmlReadMemory(documento.data(), static_cast<int>(documento.size()), nullptr, nullptr, 0);
  const std::filesystem::path pasta = gAmbiente->dir / "schemas";
  const SchemaLoadScope escopo(pasta);
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt((pasta / schema).string().c_str());
  xmlSchemaPtr compilado = xmlSchemaParse(parser);
  if (doc == nullptr || compilado == nullptr) state.SkipWithError("document or schema");
  const std::string signedInfo(900, 'x');
  unsigned char assinatura[512];
  for (auto _ : state) {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    std::size_t tamanho = sizeof assinatura;
    EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, gAmbiente->chave);
    EVP_DigestSign(ctx, assinatura, &tamanho,
                   reinterpret_cast<const unsigned char*>(signedInfo.data()), signedInfo.size());
    EVP_MD_CTX_free(ctx);
    xmlSchemaValidCtxtPtr validacao = xmlSchemaNewValidCtxt(compilado);
    if (xmlSchemaValidateDoc(validacao, doc) != 0) state.SkipWithError("invalid document");
    xmlSchemaFreeValidCtxt(validacao);
  }
  xmlSchemaFree(compilado);
  xmlSchemaFreeParserCtxt(parser);
  xmlFreeDoc(doc);
  state.SetItemsProcessed(state.iterations());
}

void Registrar() {
  benchmark::RegisterBenchmark("IniParaDocumento/S-1000", IniParaDocumento<TevtInfoEmpregador>,
                               &gAmbiente->s1000)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Piso/S-1000", Piso<TevtInfoEmpregador>, &gAmbiente->s1000,
                               "evtInfoEmpregador-v02_05_00.xsd")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("IniParaDocumento/S-1200-50dmDev", IniParaDocumento<TEvtRemun>,
                               &gAmbiente->s1200)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Piso/S-1200-50dmDev", Piso<TEvtRemun>, &gAmbiente->s1200,
                               "evtRemun-v02_05_00.xsd")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("IniParaDocumento/R-1000", IniParaDocumento<reinf::TevtInfoContri>,
                               &gAmbiente->r1000)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Piso/R-1000", Piso<reinf::TevtInfoContri>, &gAmbiente->r1000,
                               "evtInfoContribuinte-v1_04_00.xsd")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("IniParaDocumento/R-2010-100nfs",
                               IniParaDocumento<reinf::TevtServTom>, &gAmbiente->r2010)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Piso/R-2010-100nfs", Piso<reinf::TevtServTom>, &gAmbiente->r2010,
                               "evtTomadorServicos-v1_04_00.xsd")
      ->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace luvaro

int main(int argc, char** argv) {
  const luvaro::LibXml2Global libxml2;
  luvaro::Ambiente ambiente;
  luvaro::gAmbiente = &ambiente;
  luvaro::Registrar();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
