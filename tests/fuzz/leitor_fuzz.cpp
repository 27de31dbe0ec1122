// The reply of a web-service call as it arrives: the result element cut out of the SOAP
// envelope, its entities decoded, and the reader's extraction of groups, fields and attributes.
// The cuts must be pieces of what they were cut from, the decoded text valid UTF-8, and no read
// may fail other than by EDFeException.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <sstream>

#include "dfe/dfe_exception.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/leitor.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using luvaro::TTipoCampo;
using luvaro::fuzz::Contido;

// The names the program cuts and reads, so the fuzzer meets them in its dictionary too.
constexpr std::array<const char*, 24> kNomes = {
    "EnviarLoteEventosResult", "ConsultarLoteEventosResult", "ReceberLoteEventosResult",
    "ConsultaInformacoesConsolidadasResult", "SolicitarDownloadEventosPorIdResult",
    "ConsultarIdentificadoresEventosEmpregadorResult", "Body", "retornoEnvioLoteEventos",
    "retornoProcessamentoLoteEventos", "status", "cdResposta", "descResposta",
    "dadosRecepcaoLote", "protocoloEnvio", "dhRecepcao", "evento", "retornoEventos", "ocorrencia",
    "tot", "nrRecibo", "ideEmpregador", "nrInsc", "eSocial", "Reinf"};

constexpr std::array<TTipoCampo, 18> kTipos = {
    TTipoCampo::tcStr,     TTipoCampo::tcInt,     TTipoCampo::tcDat,       TTipoCampo::tcDatHor,
    TTipoCampo::tcEsp,     TTipoCampo::tcDe2,     TTipoCampo::tcDe3,       TTipoCampo::tcDe4,
    TTipoCampo::tcDe10,    TTipoCampo::tcHor,     TTipoCampo::tcDe6,       TTipoCampo::tcDatCFe,
    TTipoCampo::tcHorCFe,  TTipoCampo::tcDatVcto, TTipoCampo::tcDatHorCFe, TTipoCampo::tcBoolStr,
    TTipoCampo::tcStrOrig, TTipoCampo::tcNumStr};

std::string Nome(FuzzedDataProvider& fdp) {
  return kNomes[fdp.ConsumeIntegralInRange<std::size_t>(0, kNomes.size() - 1)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  // The choices come from the end of the input, the reply is the rest.
  const std::string resultado = Nome(fdp);
  const std::string grupo = Nome(fdp);
  const std::string campo = Nome(fdp);
  const auto tipo = kTipos[fdp.ConsumeIntegralInRange<std::size_t>(0, kTipos.size() - 1)];
  const int item = fdp.ConsumeIntegralInRange<int>(1, 3);
  const std::string envelope = fdp.ConsumeRemainingBytesAsString();

  const std::string semTags = luvaro::ExtrairElemento(envelope, resultado, false, true);
  const std::string comTags = luvaro::ExtrairElemento(envelope, resultado, true, true);
  LUVARO_FUZZ_CHECK(Contido(semTags, envelope));
  LUVARO_FUZZ_CHECK(Contido(comTags, envelope));
  LUVARO_FUZZ_CHECK(Contido(luvaro::TextoEntre(envelope, "<" + grupo, "</" + grupo + ">", true),
                            envelope));

  // The envelope itself when the element is absent, so that the reader sees every input.
  const std::string texto = luvaro::DecodificarResposta(semTags.empty() ? envelope : semTags);
  LUVARO_FUZZ_CHECK(luvaro::fuzz::Utf8Estrito(texto));

  luvaro::TLeitor leitor;
  std::istringstream stream(texto);
  leitor.CarregarArquivo(stream);
  LUVARO_FUZZ_CHECK(leitor.Arquivo() == texto);

  const std::string nivel1 = leitor.rExtrai(1, resultado);
  LUVARO_FUZZ_CHECK(Contido(nivel1, texto));
  const std::string nivel2 = leitor.rExtrai(2, grupo, "", item);
  LUVARO_FUZZ_CHECK(Contido(nivel2, nivel1));
  LUVARO_FUZZ_CHECK(leitor.Grupo() == nivel2 && leitor.Nivel(2) == nivel2);
  if (nivel2.empty()) leitor.SetGrupo(texto);
  try {
    (void)leitor.rCampo(tipo, campo, grupo).AsString();
  } catch (const luvaro::EDFeException&) {
    // a field that cannot be read as its type: the reply documents report it
  }
  (void)leitor.rCampoCNPJCPF();
  (void)leitor.rAtributo("Id", campo);
  (void)leitor.rAtributo("id=");
  return 0;
}
