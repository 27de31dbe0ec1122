#include "esocial/esocial_conversao.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <vector>

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

using enum TTipoEvento;
using enum TGrupoEventos;
using S = TeSocialSchema;

// The loadable types, in the container's order: group, then collection.
constexpr std::array<TipoEventoCarregavel, 55> kCarregaveis{{
    {teS1000, "evtInfoEmpregador", Iniciais, "S1000", "evtInfoEmpregador", "TevtInfoEmpregador",
     S::schevtInfoEmpregador},
    {teS1005, "evtTabEstab", Iniciais, "S1005", "evtTabEstab", "TEvtTabEstab", S::schevtTabEstab},
    {teS1010, "evtTabRubrica", Tabelas, "S1010", "EvtTabRubrica", "TEvtTabRubrica",
     S::schevtTabRubrica},
    {teS1020, "evtTabLotacao", Tabelas, "S1020", "EvtTabLotacao", "TevtTabLotacao",
     S::schevtTabLotacao},
    {teS1030, "evtTabCargo", Tabelas, "S1030", "EvtTabCargo", "TEvtTabCargo", S::schevtTabCargo},
    {teS1035, "evtTabCarreira", Tabelas, "S1035", "evtTabCarreira", "TEvtTabCarreira",
     S::schevtTabCarreira},
    {teS1040, "evtTabFuncao", Tabelas, "S1040", "EvtTabFuncao", "TEvtTabFuncao",
     S::schevtTabFuncao},
    {teS1050, "evtTabHorTur", Tabelas, "S1050", "EvtTabHorContratual", "TEvtTabHorTur",
     S::schevtTabHorTur},
    {teS1060, "evtTabAmbiente", Tabelas, "S1060", "EvtTabAmbiente", "TEvtTabAmbiente",
     S::schevtTabAmbiente},
    {teS1070, "evtTabProcesso", Tabelas, "S1070", "EvtTabProcesso", "TEvtTabProcesso",
     S::schevtTabProcesso},
    {teS1080, "evtTabOperPort", Tabelas, "S1080", "EvtTabOperPortuario", "TEvtTabOperPort",
     S::schevtTabOperPort},
    {teS2190, "evtAdmPrelim", NaoPeriodicos, "S2190", "EvtAdmPrelim", "TEvtAdmPrelim",
     S::schevtAdmPrelim},
    {teS2200, "evtAdmissao", NaoPeriodicos, "S2200", "EvtAdmissao", "TEvtAdmissao",
     S::schevtAdmissao},
    {teS2205, "evtAltCadastral", NaoPeriodicos, "S2205", "EvtAltCadastral", "TEvtAltCadastral",
     S::schevtAltCadastral},
    {teS2206, "evtAltContratual", NaoPeriodicos, "S2206", "EvtAltContratual", "TEvtAltContratual",
     S::schevtAltContratual},
    {teS2210, "evtCAT", NaoPeriodicos, "S2210", "EvtCAT", "TEvtCAT", S::schevtCAT},
    {teS2220, "evtMonit", NaoPeriodicos, "S2220", "evtMonit", "TevtMonit", S::schevtMonit},
    {teS2221, "evtToxic", NaoPeriodicos, "S2221", "EvtToxic", "TEvtToxic", S::schEvtToxic},
    {teS2230, "evtAfastTemp", NaoPeriodicos, "S2230", "EvtAfastTemp", "TEvtAfastTemp",
     S::schevtAfastTemp},
    {teS2240, "evtExpRisco", NaoPeriodicos, "S2240", "EvtExpRisco", "TEvtExpRisco",
     S::schevtExpRisco},
    {teS2245, "evtTreiCap", NaoPeriodicos, "S2245", "EvtTreiCap", "TEvtTreiCap", S::schEvtTreiCap},
    {teS2250, "evtAvPrevio", NaoPeriodicos, "S2250", "EvtAvPrevio", "TEvtAvPrevio",
     S::schevtAvPrevio},
    {teS2260, "evtConvInterm", NaoPeriodicos, "S2260", "EvtConvInterm", "TEvtConvInterm",
     S::schevtConvInterm},
    {teS2298, "evtReintegr", NaoPeriodicos, "S2298", "EvtReintegr", "TEvtReintegr",
     S::schevtReintegr},
    {teS2299, "evtDeslig", NaoPeriodicos, "S2299", "EvtDeslig", "TEvtDeslig", S::schevtDeslig},
    {teS2300, "evtTSVInicio", NaoPeriodicos, "S2300", "EvtTSVInicio", "TEvtTSVInicio",
     S::schevtTSVInicio},
    {teS2306, "evtTSVAltContr", NaoPeriodicos, "S2306", "EvtTSVAltContr", "TEvtTSVAltContr",
     S::schevtTSVAltContr},
    {teS2399, "evtTSVTermino", NaoPeriodicos, "S2399", "EvtTSVTermino", "TEvtTSVTermino",
     S::schevtTSVTermino},
    {teS2400, "evtCdBenPrRP", NaoPeriodicos, "S2400", "evtCdBenPrRP", "TEvtCdBenPrRP",
     S::schevtCdBenPrRP},
    {teS3000, "evtExclusao", NaoPeriodicos, "S3000", "EvtExclusao", "TEvtExclusao",
     S::schevtExclusao},
    // Non-periodic events of the simplified layouts only (after the 2.x ones: the lot's order
    // of the 2.x types stays).
    {teS2231, "evtCessao", NaoPeriodicos, "S2231", "EvtCessao", "TEvtCessao", S::schevtCessao},
    {teS2400Benef, "evtCdBenefIn", NaoPeriodicos, "S2400Benef", "EvtCdBenefIn", "TEvtCdBenefIn",
     S::schevtCdBenefIn},
    {teS2405, "evtCdBenefAlt", NaoPeriodicos, "S2405", "EvtCdBenefAlt", "TEvtCdBenefAlt",
     S::schevtCdBenefAlt},
    {teS2410, "evtCdBenIn", NaoPeriodicos, "S2410", "EvtCdBenIn", "TEvtCdBenIn", S::schevtCdBenIn},
    {teS2416, "evtCdBenAlt", NaoPeriodicos, "S2416", "EvtCdBenAlt", "TEvtCdBenAlt",
     S::schevtCdBenAlt},
    {teS2418, "evtReativBen", NaoPeriodicos, "S2418", "EvtReativBen", "TEvtReativBen",
     S::schevtReativBen},
    {teS2420, "evtCdBenTerm", NaoPeriodicos, "S2420", "EvtCdBenTerm", "TEvtCdBenTerm",
     S::schevtCdBenTerm},
    {teS2500, "evtProcTrab", NaoPeriodicos, "S2500", "EvtProcTrab", "TEvtProcTrab",
     S::schevtProcTrab},
    {teS2501, "evtContProc", NaoPeriodicos, "S2501", "EvtContProc", "TEvtContProc",
     S::schevtContProc},
    {teS2555, "evtConsolidContProc", NaoPeriodicos, "S2555", "EvtConsolidContProc",
     "TEvtConsolidContProc", S::schevtConsolidContProc},
    {teS3500, "evtExcProcTrab", NaoPeriodicos, "S3500", "EvtExcProcTrab", "TEvtExcProcTrab",
     S::schevtExcProcTrab},
    {teS8200, "evtAnotJud", NaoPeriodicos, "S8200", "EvtAnotJud", "TEvtAnotJud", S::schevtAnotJud},
    {teS8299, "evtBaixa", NaoPeriodicos, "S8299", "EvtBaixa", "TEvtBaixa", S::schevtBaixa},
    {teS1200, "evtRemun", Periodicos, "S1200", "evtRemun", "TEvtRemun", S::schevtRemun},
    {teS1202, "evtRmnRPPS", Periodicos, "S1202", "evtRmnRPPS", "TEvtRemunRPPS", S::schevtRmnRPPS},
    {teS1207, "evtBenPrRP", Periodicos, "S1207", "evtBenPrRP", "TEvtBenPrRP", S::schevtBenPrRP},
    {teS1210, "evtPgtos", Periodicos, "S1210", "evtPgtos", "TEvtPgtos", S::schevtPgtos},
    {teS1250, "evtAqProd", Periodicos, "S1250", "EvtAqProd", "TEvtAqProd", S::schevtAqProd},
    {teS1260, "evtComProd", Periodicos, "S1260", "EvtComProd", "TEvtComProd", S::schevtComProd},
    {teS1270, "evtContratAvNP", Periodicos, "S1270", "EvtContratAvNP", "TEvtContratAvNP",
     S::schevtContratAvNP},
    {teS1280, "evtInfoComplPer", Periodicos, "S1280", "EvtInfoComplPer", "TEvtInfoComplPer",
     S::schevtInfoComplPer},
    {teS1295, "evtTotConting", Periodicos, "S1295", "evtTotConting", "TEvtTotConting",
     S::schevtTotConting},
    {teS1298, "evtReabreEvPer", Periodicos, "S1298", "EvtReabreEvPer", "TEvtReabreEvPer",
     S::schevtReabreEvper},
    {teS1299, "evtFechaEvPer", Periodicos, "S1299", "EvtFechaEvPer", "TEvtFechaEvPer",
     S::schevtFechaEvPer},
    {teS1300, "evtContrSindPatr", Periodicos, "S1300", "EvtContrSindPatr", "TEvtContrSindPatr",
     S::schevtContrSindPatr},
}};

constexpr std::array<const char*, kTotalTiposEvento> kCodigos{
    "S-1000", "S-1005", "S-1010", "S-1020", "S-1030", "S-1035", "S-1040", "S-1050", "S-1060",
    "S-1070", "S-1080", "S-2100", "S-1200", "S-1202", "S-1207", "S-1210", "S-1220", "S-1250",
    "S-1260", "S-1270", "S-1280", "S-1295", "S-1298", "S-1299", "S-1300", "S-2190", "S-2200",
    "S-2205", "S-2206", "S-2210", "S-2220", "S-2230", "S-2240", "S-2245", "S-2250", "S-2260",
    "S-2298", "S-2299", "S-2300", "S-2305", "S-2306", "S-2399", "S-2400", "S-3000", "S-4000",
    "S-4999", "S-5001", "S-5002", "S-5003", "S-5011", "S-5012", "S-5013", "S-2221", "S-2231",
    "S-2400", "S-2405", "S-2410", "S-2416", "S-2418", "S-2420", "S-2500", "S-2501", "S-2555",
    "S-3500", "S-8200", "S-8299"};

// The identifiers with their "sch" prefix, so that the table reads as the enumeration does.
constexpr std::array<const char*, kQuantidadeSchemas> kSchemas{"schErro",
                                                               "schConsultaLoteEventos",
                                                               "schEnvioLoteEventos",
                                                               "schevtAdesao",
                                                               "schevtAdmissao",
                                                               "schevtAdmPrelim",
                                                               "schevtAfastTemp",
                                                               "schevtAltCadastral",
                                                               "schevtAltContratual",
                                                               "schevtAqProd",
                                                               "schevtAvPrevio",
                                                               "schevtBasesTrab",
                                                               "schevtBenPrRP",
                                                               "schevtCadInicial",
                                                               "schevtCAT",
                                                               "schevtCdBenPrRP",
                                                               "schevtComProd",
                                                               "schevtContratAvNP",
                                                               "schevtContrSindPatr",
                                                               "schevtConvInterm",
                                                               "schevtCS",
                                                               "schevtDeslig",
                                                               "schevtExclusao",
                                                               "schevtExpRisco",
                                                               "schevtFechaEvPer",
                                                               "schevtInfoComplPer",
                                                               "schevtInfoEmpregador",
                                                               "schevtInsApo",
                                                               "schevtIrrf",
                                                               "schevtIrrfBenef",
                                                               "schevtMonit",
                                                               "schevtPgtos",
                                                               "schevtReabreEvper",
                                                               "schevtReintegr",
                                                               "schevtRemun",
                                                               "schevtRmnRPPS",
                                                               "schevtTabAmbiente",
                                                               "schevtTabCargo",
                                                               "schevtTabCarreira",
                                                               "schevtTabEstab",
                                                               "schevtTabFuncao",
                                                               "schevtTabHorTur",
                                                               "schevtTabLotacao",
                                                               "schevtTabOperPort",
                                                               "schevtTabProcesso",
                                                               "schevtTabRubrica",
                                                               "schevtTotConting",
                                                               "schevtTSVAltContr",
                                                               "schevtTSVInicio",
                                                               "schevtTSVTermino",
                                                               "schRetornoEnvioLoteEventos",
                                                               "schRetornoEvento",
                                                               "schRetornoProcessamentoLote",
                                                               "schConsultaIdentEventos",
                                                               "schDownloadEventos",
                                                               "schEvtToxic",
                                                               "schEvtTreiCap",
                                                               "schevtCessao",
                                                               "schevtCdBenefIn",
                                                               "schevtCdBenefAlt",
                                                               "schevtCdBenIn",
                                                               "schevtCdBenAlt",
                                                               "schevtReativBen",
                                                               "schevtCdBenTerm",
                                                               "schevtProcTrab",
                                                               "schevtContProc",
                                                               "schevtConsolidContProc",
                                                               "schevtExcProcTrab",
                                                               "schevtAnotJud",
                                                               "schevtBaixa"};

struct LinhaLayOut {
  const char* servico;
  TeSocialSchema schema;
};
constexpr std::array<LinhaLayOut, 4> kLayOuts{{
    {"EnviarLoteEventos", S::schEnvioLoteEventos},
    {"ConsultarLoteEventos", S::schConsultaLoteEventos},
    {"ConsultarIdentificadoresEventos", S::schConsultaIdentEventos},
    {"DownloadEventos", S::schDownloadEventos},
}};

struct LinhaVersao {
  const char* texto;
  double numero;
};
constexpr std::array<LinhaVersao, 3> kVersoes{{
    {"02_04_01", 2.0401},
    {"02_04_02", 2.0402},
    {"02_05_00", 2.05},
}};

// The loadable type whose pattern (prefix + element + suffix) occurs first in TTipoEvento order.
bool caractereDeNome(char c) noexcept {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Every name that stands in the text as prefixo + name + sufixo, in one pass over the text
// (element names hold only letters and digits, so a name ends where such a run ends).
std::vector<std::string_view> nomesMarcados(std::string_view texto, char prefixo,
                                            std::string_view sufixo) {
  std::vector<std::string_view> nomes;
  for (std::size_t i = texto.find(prefixo); i != std::string_view::npos;
       i = texto.find(prefixo, i + 1)) {
    std::size_t fim = i + 1;
    while (fim < texto.size() && caractereDeNome(texto[fim])) ++fim;
    if (fim > i + 1 && texto.substr(fim).starts_with(sufixo))
      nomes.push_back(texto.substr(i + 1, fim - i - 1));
  }
  return nomes;
}

// The first loadable type, in TTipoEvento order, whose element the text marks.
std::optional<TTipoEvento> detectar(std::string_view texto, char prefixo, std::string_view sufixo) {
  const std::vector<std::string_view> nomes = nomesMarcados(texto, prefixo, sufixo);
  if (nomes.empty()) return std::nullopt;
  for (int ordinal = 0; ordinal < kTotalTiposEvento; ++ordinal) {
    const auto tipo = static_cast<TTipoEvento>(ordinal);
    const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(tipo);
    if (linha == nullptr) continue;
    if (std::find(nomes.begin(), nomes.end(), std::string_view(linha->elemento)) != nomes.end())
      return tipo;
  }
  return std::nullopt;
}

}  // namespace

std::span<const TipoEventoCarregavel> TiposEventoCarregaveis() noexcept {
  return kCarregaveis;
}

const TipoEventoCarregavel* TipoEventoCarregavelDe(TTipoEvento tipo) noexcept {
  for (const TipoEventoCarregavel& linha : kCarregaveis) {
    if (linha.tipo == tipo) return &linha;
  }
  return nullptr;
}

std::string TextoDaVersao(TVersaoeSocial versao) {
  const auto i = static_cast<std::size_t>(versao);
  return i < kVersoes.size() ? kVersoes[i].texto : "";
}

double NumeroDaVersao(TVersaoeSocial versao) noexcept {
  const auto i = static_cast<std::size_t>(versao);
  return i < kVersoes.size() ? kVersoes[i].numero : 0.0;
}

std::string ServicoDoLayOut(TLayOut layout) {
  const auto i = static_cast<std::size_t>(layout);
  return i < kLayOuts.size() ? kLayOuts[i].servico : "";
}

TeSocialSchema SchemaDoLayOut(TLayOut layout) noexcept {
  const auto i = static_cast<std::size_t>(layout);
  return i < kLayOuts.size() ? kLayOuts[i].schema : S::schErro;
}

std::optional<TLayOut> LayOutDoServico(std::string_view servico) {
  for (std::size_t i = 0; i < kLayOuts.size(); ++i) {
    if (equalsNoCase(servico, kLayOuts[i].servico)) return static_cast<TLayOut>(i);
  }
  return std::nullopt;
}

std::string NomeDoSchema(TeSocialSchema schema) {
  const auto i = static_cast<std::size_t>(schema);
  if (i >= kSchemas.size()) return {};
  return std::string(kSchemas[i]).substr(3);
}

std::string CodigoDoTipoEvento(TTipoEvento tipo) {
  const auto i = static_cast<std::size_t>(tipo);
  return i < kCodigos.size() ? kCodigos[i] : "";
}

std::string ElementoDoTipoEvento(TTipoEvento tipo) {
  const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(tipo);
  return linha != nullptr ? linha->elemento : "";
}

TeSocialSchema SchemaDoTipoEvento(TTipoEvento tipo) noexcept {
  const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(tipo);
  return linha != nullptr ? linha->schema : S::schErro;
}

std::optional<TTipoEvento> TipoEventoDoXML(std::string_view texto) {
  return detectar(texto, '<', " Id=\"");
}

std::optional<TTipoEvento> TipoEventoDoINI(std::string_view texto) {
  return detectar(texto, '[', "]");
}

}  // namespace luvaro
