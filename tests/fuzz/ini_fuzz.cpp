// The INI reader and the service address table. The text read, written back and read again
// gives the same sections and entries; as the file beside the program (byte-order marks and
// UTF-16 included), the table answers the eSocial and EFD-Reinf lookups and the general
// lookup with its "Usar" redirections, failing only with EDFeException.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "dfe/config/configuracoes.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The table file of this run, in a folder of its own removed at exit.
const fs::path& ArquivoTabela() {
  static const luvaro::test::TempDir pasta("luvaro-fuzz-ini");
  static const fs::path arquivo = pasta / "Servicos.ini";
  return arquivo;
}

void IdaEVolta(const std::string& texto) {
  const luvaro::IniFile lido(texto);
  const luvaro::IniFile relido(lido.Text());
  LUVARO_FUZZ_CHECK(lido.Sections() == relido.Sections());
  for (const std::string& secao : lido.Sections()) {
    LUVARO_FUZZ_CHECK(lido.Entries(secao) == relido.Entries(secao));
  }
}

struct Consulta {
  const char* modelo;
  const char* uf;
  const char* servico;
};
constexpr std::array<Consulta, 4> kConsultas = {{{"NFe", "SP", "Autorizacao"},
                                                 {"Laco", "SP", "Consulta"},
                                                 {"eSocial", "SP", "EnviarLoteEventos"},
                                                 {"Reinf", "RS", "ConsultarLoteEventos"}}};
constexpr std::array<const char*, 4> kSecoes = {"eSocial_P", "eSocial_H", "Reinf_P", "Reinf_H"};
constexpr std::array<const char*, 3> kServicos = {"EnviarLoteEventos", "ConsultarLoteEventos",
                                                  "DownloadEventos"};

// The lookups of one input, taken from its last bytes.
struct Escolhas {
  std::size_t secao, servico, consulta;
  bool homologacao;
  double versao, versaoGeral;
};

Escolhas Escolher(FuzzedDataProvider& fdp) {
  Escolhas e{};
  e.secao = fdp.ConsumeIntegralInRange<std::size_t>(0, kSecoes.size() - 1);
  e.servico = fdp.ConsumeIntegralInRange<std::size_t>(0, kServicos.size() - 1);
  e.consulta = fdp.ConsumeIntegralInRange<std::size_t>(0, kConsultas.size() - 1);
  e.homologacao = fdp.ConsumeBool();
  e.versao = fdp.ConsumeIntegralInRange<int>(0, 500) / 100.0;
  e.versaoGeral = fdp.ConsumeIntegralInRange<int>(0, 500) / 100.0;
  return e;
}

void Tabela(const Escolhas& e, const std::string& bytes) {
  {
    std::ofstream out(ArquivoTabela(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  luvaro::TDFeComponente componente;
  componente.Configuracoes().Arquivos().SetIniServicos(ArquivoTabela().string());
  try {
    componente.CarregarParamsIni(false);
  } catch (const luvaro::EDFeException&) {
    return;  // an empty file leaves the component without a table of its own to fall back on
  }
  double versao = e.versao;
  std::string url;
  componente.LerServicoChaveDeParams(kSecoes[e.secao], kServicos[e.servico], versao, url);
  const Consulta& c = kConsultas[e.consulta];
  const auto ambiente =
      e.homologacao ? luvaro::TTipoAmbiente::taHomologacao : luvaro::TTipoAmbiente::taProducao;
  try {
    double v = e.versaoGeral;
    std::string servico, acao;
    componente.LerServicoDeParams(c.modelo, c.uf, ambiente, c.servico, v, url, servico, acao);
  } catch (const luvaro::EDFeException&) {
    // a missing section or service, or a circular redirection: each has its message
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const Escolhas escolhas = Escolher(fdp);
  const std::string texto = fdp.ConsumeRemainingBytesAsString();
  IdaEVolta(texto);
  Tabela(escolhas, texto);
  return 0;
}
