#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace luvaro {

// The eSocial enumerations and their texts. Identifiers are in ordinal order: INI files and
// the layout store ordinals.

// The eSocial namespace base: the scheme and host shared by every eSocial namespace and SOAP
// action identifier.
inline constexpr const char* kNameSpaceBaseeSocial = "http://www.esocial.gov.br";

// Layout versions. The configuration stores a plain byte and accepts any value; a value
// outside the table has the empty text and the number 0.
enum class TVersaoeSocial : std::uint8_t { ve02_04_01, ve02_04_02, ve02_05_00 };

enum class TEmpregador : std::uint8_t {
  tePessoaJuridica,
  teOrgaoPublico,
  tePessoaFisica,
  teOrgaoPublicoExecutivoFederal,
  teOrgaoPublicoLegislativoFederal,
  teOrgaoPublicoJudiciarioFederal,
  teOrgaoPublicoAutonomoFederal
};

enum class TStatuseSocial : std::uint8_t {
  stIdle,
  stEnvLoteEventos,
  stConsultaLote,
  stConsultaIdentEvt,
  stDownloadEvt
};

// What the transmission hook is shown: request and reply of the four services.
enum class TeSocialEventos : std::uint8_t {
  eseEnvioLote,
  eseRetornoLote,
  eseEnvioConsulta,
  eseRetornoConsulta,
  eseEnvioConsultaIdentEvt,
  eseRetornoConsultaIdentEvt,
  eseEnvioDownloadEvt,
  eseRetornoDownloadEvt
};

// The four services.
enum class TLayOut : std::uint8_t {
  LayEnvioLoteEventos,
  LayConsultaLoteEventos,
  LayConsultaIdentEventos,
  LayDownloadEventos
};

// Registration kinds; the layout writes ordinal + 1.
enum class tpTpInsc : std::uint8_t { tiCNPJ, tiCPF, tiCAEPF, tiCNO, tiCGC };

enum class TeSocialSchema : std::uint8_t {
  schErro,
  schConsultaLoteEventos,
  schEnvioLoteEventos,
  schevtAdesao,
  schevtAdmissao,
  schevtAdmPrelim,
  schevtAfastTemp,
  schevtAltCadastral,
  schevtAltContratual,
  schevtAqProd,
  schevtAvPrevio,
  schevtBasesTrab,
  schevtBenPrRP,
  schevtCadInicial,
  schevtCAT,
  schevtCdBenPrRP,
  schevtComProd,
  schevtContratAvNP,
  schevtContrSindPatr,
  schevtConvInterm,
  schevtCS,
  schevtDeslig,
  schevtExclusao,
  schevtExpRisco,
  schevtFechaEvPer,
  schevtInfoComplPer,
  schevtInfoEmpregador,
  schevtInsApo,
  schevtIrrf,
  schevtIrrfBenef,
  schevtMonit,
  schevtPgtos,
  schevtReabreEvper,
  schevtReintegr,
  schevtRemun,
  schevtRmnRPPS,
  schevtTabAmbiente,
  schevtTabCargo,
  schevtTabCarreira,
  schevtTabEstab,
  schevtTabFuncao,
  schevtTabHorTur,
  schevtTabLotacao,
  schevtTabOperPort,
  schevtTabProcesso,
  schevtTabRubrica,
  schevtTotConting,
  schevtTSVAltContr,
  schevtTSVInicio,
  schevtTSVTermino,
  schRetornoEnvioLoteEventos,
  schRetornoEvento,
  schRetornoProcessamentoLote,
  schConsultaIdentEventos,
  schDownloadEventos,
  schEvtToxic,
  schEvtTreiCap,
  // The events of the simplified layouts S-1.2 and S-1.3 that no 2.x layout has.
  schevtCessao,
  schevtCdBenefIn,
  schevtCdBenefAlt,
  schevtCdBenIn,
  schevtCdBenAlt,
  schevtReativBen,
  schevtCdBenTerm,
  schevtProcTrab,
  schevtContProc,
  schevtConsolidContProc,
  schevtExcProcTrab,
  schevtAnotJud,
  schevtBaixa
};
inline constexpr int kQuantidadeSchemas = 70;

// Event types: the 53 of the 2.x layouts (S-2221 last, after the S-5000 types), then the event
// types that only the simplified layouts S-1.2 and S-1.3 have, so stored ordinals keep their
// meaning. S-2400 of those layouts is the element evtCdBenefIn (2.x: evtCdBenPrRP, teS2400),
// a type of its own with the same code.
enum class TTipoEvento : std::uint8_t {
  teS1000,
  teS1005,
  teS1010,
  teS1020,
  teS1030,
  teS1035,
  teS1040,
  teS1050,
  teS1060,
  teS1070,
  teS1080,
  teS2100,
  teS1200,
  teS1202,
  teS1207,
  teS1210,
  teS1220,
  teS1250,
  teS1260,
  teS1270,
  teS1280,
  teS1295,
  teS1298,
  teS1299,
  teS1300,
  teS2190,
  teS2200,
  teS2205,
  teS2206,
  teS2210,
  teS2220,
  teS2230,
  teS2240,
  teS2245,
  teS2250,
  teS2260,
  teS2298,
  teS2299,
  teS2300,
  teS2305,
  teS2306,
  teS2399,
  teS2400,
  teS3000,
  teS4000,
  teS4999,
  teS5001,
  teS5002,
  teS5003,
  teS5011,
  teS5012,
  teS5013,
  teS2221,
  teS2231,
  teS2400Benef,
  teS2405,
  teS2410,
  teS2416,
  teS2418,
  teS2420,
  teS2500,
  teS2501,
  teS2555,
  teS3500,
  teS8200,
  teS8299
};
// The types of the 2.x layouts, and all of them.
inline constexpr int kQuantidadeTiposEvento = 53;
inline constexpr int kTotalTiposEvento = 66;

// The four groups of the event container, in the order the lot walks them.
enum class TGrupoEventos : std::uint8_t { Iniciais, Tabelas, NaoPeriodicos, Periodicos };

// One event type that can be loaded: its element, where the container keeps it, which class
// holds it and which schema validates it.
struct TipoEventoCarregavel {
  TTipoEvento tipo;
  const char* elemento;  // the event element, e.g. "evtInfoEmpregador"
  TGrupoEventos grupo;
  const char* colecao;      // the group's collection, e.g. "S1000"
  const char* propriedade;  // the item's property holding the event
  const char* classe;       // the event class
  TeSocialSchema schema;
};
// The loadable types in the container's order (group, then collection).
std::span<const TipoEventoCarregavel> TiposEventoCarregaveis() noexcept;
// The row of a type; null for the types that cannot be loaded.
const TipoEventoCarregavel* TipoEventoCarregavelDe(TTipoEvento tipo) noexcept;

// "02_05_00"; empty outside the table.
std::string TextoDaVersao(TVersaoeSocial versao);
// 2.05; 0 outside the table.
double NumeroDaVersao(TVersaoeSocial versao) noexcept;

// "EnviarLoteEventos", ...
std::string ServicoDoLayOut(TLayOut layout);
TeSocialSchema SchemaDoLayOut(TLayOut layout) noexcept;
// The layout of a service key, letter case ignored; nothing when it is none of the four.
std::optional<TLayOut> LayOutDoServico(std::string_view servico);

// The identifier without "sch": "evtInfoEmpregador", "EnvioLoteEventos", "Erro".
std::string NomeDoSchema(TeSocialSchema schema);

// "S-1000", ...
std::string CodigoDoTipoEvento(TTipoEvento tipo);
// The event element; empty for the types that cannot be loaded.
std::string ElementoDoTipoEvento(TTipoEvento tipo);
// schErro for the types that cannot be loaded.
TeSocialSchema SchemaDoTipoEvento(TTipoEvento tipo) noexcept;

// The type of an event document: the first loadable type, in TTipoEvento order, whose
// "<element Id=\"" occurs in the text (letter case counts).
std::optional<TTipoEvento> TipoEventoDoXML(std::string_view texto);
// The same for INI text, with "[element]".
std::optional<TTipoEvento> TipoEventoDoINI(std::string_view texto);

}  // namespace luvaro
