#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace luvaro::reinf {

// The EFD-Reinf enumerations and their texts. Identifiers are in ordinal order: INI files store
// ordinals. EFD-Reinf lives in its own namespace because several of its names (TEventos,
// TTipoEvento, TWebServices, TLoteEventos...) are eSocial's names too.

// The scheme and host shared by every EFD-Reinf service namespace and SOAP action identifier.
inline constexpr const char* kNameSpaceBaseServico = "http://sped.fazenda.gov.br";
// The prefix of every EFD-Reinf document namespace (events and lot).
inline constexpr const char* kNameSpaceBaseSchemas = "http://www.reinf.esocial.gov.br/schemas";

// Layout versions. The configuration stores a plain byte and accepts any value; a value
// outside the table has the empty text and the number 0. Layouts 1.0x travel in SOAP lots
// answered at once; 2.1.2 (the layout in force) in asynchronous REST lots.
enum class TVersaoReinf : std::uint8_t { v1_02_00, v1_03_00, v1_03_02, v1_04_00, v2_01_02 };

// Contributor kinds: companies are identified by the 8-digit root of their CNPJ, public bodies
// and individuals by their full number.
enum class TContribuinte : std::uint8_t { tcPessoaJuridica, tcOrgaoPublico, tcPessoaFisica };

enum class TStatusReinf : std::uint8_t { stIdle, stEnvLoteEventos, stConsultaLote };

// What the transmission hook is shown.
enum class TEventosReinf : std::uint8_t {
  erEnvioLote,
  erRetornoLote,
  erEnvioConsulta,
  erRetornoConsulta
};

// The two services of the address table.
enum class TLayOutReinf : std::uint8_t { LayEnvioLoteEventos, LayConsultaLoteEventos };

// The fifteen event schemas in event-type order, then the three others.
enum class TReinfSchema : std::uint8_t {
  schevtInfoContribuinte,
  schevtFechamento,
  schevtTabProcesso,
  schevtTomadorServicos,
  schevtPrestadorServicos,
  schevtRecursoRecebidoAssociacao,
  schevtRecursoRepassadoAssociacao,
  schevtInfoProdRural,
  schevtInfoCPRB,
  schevtPgtosDivs,
  schevtReabreEvPer,
  schevtEspDesportivo,
  schevtTotal,
  schevtTotalConsolid,
  schevtExclusao,
  schErro,
  schConsultaLoteEventos,
  schEnvioLoteEventos
};

// Event types. R-5001 and R-5011 are replies only: no collection holds them.
enum class TTipoEvento : std::uint8_t {
  teR1000,
  teR2099,
  teR1070,
  teR2010,
  teR2020,
  teR2030,
  teR2040,
  teR2050,
  teR2060,
  teR2070,
  teR2098,
  teR3010,
  teR5001,
  teR5011,
  teR9000
};
inline constexpr int kQuantidadeTiposEvento = 15;

// Registration kinds of the replies: "1", "2", "4".
enum class TtpInsc : std::uint8_t { tiCNPJ, tiCPF, tiCNO };
// Whether a closed period had movement and information: "1", "2", "3".
enum class TindExistInfo : std::uint8_t { eiComMovComInfo, eiComMovSemInfo, eiSemMov };

// "1_04_00"; empty outside the table.
std::string TextoDaVersao(TVersaoReinf versao);
// 1.4; 0 outside the table.
double NumeroDaVersao(TVersaoReinf versao) noexcept;

// "EnviarLoteEventos" or "ConsultarLoteEventos".
std::string ServicoDoLayOut(TLayOutReinf layout);
TReinfSchema SchemaDoLayOut(TLayOutReinf layout) noexcept;
// The layout of a service key, letter case ignored; nothing when it is neither.
std::optional<TLayOutReinf> LayOutDoServico(std::string_view servico);

// The identifier without "sch": "evtTomadorServicos", "EnvioLoteEventos", "Erro".
std::string NomeDoSchema(TReinfSchema schema);

// "R-2010", ...; empty outside the table.
std::string CodigoDoTipoEvento(TTipoEvento tipo);
// "evtServTom", ...; empty outside the table.
std::string ElementoDoTipoEvento(TTipoEvento tipo);
// The schema of the same ordinal; schErro outside the table.
TReinfSchema SchemaDoTipoEvento(TTipoEvento tipo) noexcept;

// The first type, in TTipoEvento order, whose "<" + element occurs anywhere in the text (letter
// case counts). The search is ordered and "evtTotal" begins "evtTotalContrib", so an R-5011
// document is taken for an R-5001.
std::optional<TTipoEvento> TipoEventoDoXML(std::string_view texto);
// The same for INI text, with "[" + element + "]".
std::optional<TTipoEvento> TipoEventoDoINI(std::string_view texto);

// "1", "2", "4".
std::string TpInscToStr(TtpInsc valor);
// The kind of a text; anything outside the table gives tiCNPJ.
TtpInsc StrToTpInsc(std::string_view texto);
std::string indExistInfoToStr(TindExistInfo valor);
// The value of a text; anything outside the table gives eiComMovComInfo.
TindExistInfo StrToindExistInfo(std::string_view texto);

}  // namespace luvaro::reinf
