#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "dfe/modelos/codigos.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

// The enumerations that the EFD-Reinf event models write, each with its table of layout codes
// by ordinal (CodigoDe writes, ValorDoCodigo reads, letter case ignored; an unknown text gives
// the first value). TtpInsc ("1", "2", "4") is the replies' enumeration.

// The mode of a table event (R-1000, R-1070): "inclusao", "alteracao", "exclusao".
using TTipoOperacao = TModoLancamento;
// classTrib and indSitPJ as eSocial has them.
using luvaro::TpClassTrib;
using TindSitPJ = tpIndSitPJ;

// tpAmb: no environment, production, restricted production with real data.
enum class TtpAmb : std::uint8_t { taNenhum, taProducao, taProducaoRestritaDadosReais };
// procEmi: the contributor's application or the government's.
enum class TprocEmi : std::uint8_t { peNenhum, peAplicEmpregador, peAplicGoverno };
// Yes/no answers.
enum class TtpSimNao : std::uint8_t { tpSim, tpNao };
// indRetif: original event or retification.
enum class TIndRetificacao : std::uint8_t { trOriginal, trRetificacao };
// indEscrituracao: bound to keep accounting books (ECD) or not.
enum class TindEscrituracao : std::uint8_t { ieNaoObrig, ieObrig };
// indDesoneracao: payroll relief.
enum class TindDesoneracao : std::uint8_t { idNaoAplic, idAplic };
// indAcordoIsenMulta: international agreement exempting the fine.
enum class TindAcordoIsenMulta : std::uint8_t { aiSemAcordo, aiComAcordo };
// indCPRB: the provider pays the contribution on gross revenue.
enum class TpindCPRB : std::uint8_t { cprbNaoContribuinte, cprbContribuinte };
// tpProc: administrative or judicial process.
enum class TtpProc : std::uint8_t { tpAdministrativo, tpJudicial };
// indAutoria: who filed the lawsuit.
enum class TindAutoria : std::uint8_t { taContribuinte, taOutraEntidade };
// indSusp: why the liability is suspended.
enum class TindSusp : std::uint8_t {
  siLiminarMandadoSeguranca,
  siDepositoJudicial,
  siDepositoAdministrativo,
  siAntecipacaoTutela,
  siLiminarMedidaCautelar,
  siSentencaMandadoSegurancaFavoravel,
  siSentencaAcaoOrdinariaFavConfTRF,
  siAcordaoTRFFavoravel,
  siAcordaoSTJRecursoEspecialFavoravel,
  siAcordaoSTFRecursoExtraordinarioFav,
  siSentenca1instanciaNaoTransitadaJulgado,
  siDecisaoDefinitivaAFavorDoContribuinte,
  siSemSuspensaoExigibilidade
};
// indObra: not a building work, a work by contract, a work by subcontract.
enum class TpindObra : std::uint8_t {
  ioNaoeObraDeConstrucaoCivil,
  ioObraDeConstrucaoCivilTotal,
  ioObraDeConstrucaoCivilParcial
};
// tpRepasse: kind of the funds passed to a sports association.
enum class TtpRepasse : std::uint8_t {
  trPatrocinio,
  trLicenciamentoMarcasSimbolos,
  trPublicidade,
  trTransmissao,
  trOutros
};
// indCom: how rural produce was sold.
enum class TindCom : std::uint8_t { icProdRural, icProdIsenta, icPAA, icMercExterno };
// tpAjuste: reduction or increase of the CPRB base.
enum class TtpAjuste : std::uint8_t { taReducao, taAcrescimo };
// codAjuste: the reason of a CPRB adjustment.
enum class TcodAjuste : std::uint8_t {
  caAjuste1,
  caAjuste2,
  caAjuste3,
  caAjuste4,
  caAjuste5,
  caAjuste6,
  caAjuste7,
  caAjuste8,
  caAjuste9,
  caAjuste10,
  caAjuste11
};
// indNIF: a foreign beneficiary's tax number.
enum class TindNIF : std::uint8_t { nifCom, nifDispensado, nifNaoExige };
// indTpDeducao: kind of deduction.
enum class TindTpDeducao : std::uint8_t {
  itdOficial,
  itdPrivada,
  itdFapi,
  itdFunpresp,
  itdPensaoAlimenticia,
  itdDependentes
};
// tpIsencao: kind of exempt income.
enum class TtpIsencao : std::uint8_t {
  tiIsencao1,
  tiIsencao2,
  tiIsencao3,
  tiIsencao4,
  tiIsencao5,
  tiIsencao6,
  tiIsencao7,
  tiIsencao8,
  tiIsencao9,
  tiIsencao10,
  tiIsencao11
};
// indPerReferencia: monthly payroll or 13th salary.
enum class TindPerReferencia : std::uint8_t { iprMensal, ipr13Salario };
// indOrigemRecursos: own or third-party funds.
enum class TindOrigemRecursos : std::uint8_t { iorProprios, iorTerceiros };
// tpCompeticao: official or unofficial competition.
enum class TtpCompeticao : std::uint8_t { ttcOficial, ttcNaoOficial };
// categEvento: international, interstate, state or local event.
enum class TcategEvento : std::uint8_t {
  tceInternacional,
  tceInterestadual,
  tceEstadual,
  tceLocal
};
// tpIngresso: kind of ticket.
enum class TtpIngresso : std::uint8_t { ttiArquibancada, ttiGeral, ttiCadeiras, ttiCamarote };
// tpReceita: kind of other revenue of a sports event.
enum class TtpReceita : std::uint8_t {
  ttrTransmissao,
  ttrPropaganda,
  ttrPublicidade,
  ttrSorteio,
  ttrOutros
};

}  // namespace luvaro::reinf

namespace luvaro {

template <>
struct CodigosLayout<reinf::TtpInsc> {
  static constexpr std::array<std::string_view, 3> kCodigos{"1", "2", "4"};
};
template <>
struct CodigosLayout<reinf::TtpAmb> {
  static constexpr std::array<std::string_view, 3> kCodigos{"0", "1", "2"};
};
template <>
struct CodigosLayout<reinf::TprocEmi> {
  static constexpr std::array<std::string_view, 3> kCodigos{"0", "1", "2"};
};
template <>
struct CodigosLayout<reinf::TtpSimNao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"S", "N"};
};
template <>
struct CodigosLayout<reinf::TIndRetificacao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TindEscrituracao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<reinf::TindDesoneracao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<reinf::TindAcordoIsenMulta> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<reinf::TpindCPRB> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<reinf::TtpProc> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TindAutoria> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TindSusp> {
  static constexpr std::array<std::string_view, 13> kCodigos{
      "01", "02", "03", "04", "05", "08", "09", "10", "11", "12", "13", "90", "92"};
};
template <>
struct CodigosLayout<reinf::TpindObra> {
  static constexpr std::array<std::string_view, 3> kCodigos{"0", "1", "2"};
};
template <>
struct CodigosLayout<reinf::TtpRepasse> {
  static constexpr std::array<std::string_view, 5> kCodigos{"1", "2", "3", "4", "5"};
};
template <>
struct CodigosLayout<reinf::TindCom> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "7", "8", "9"};
};
template <>
struct CodigosLayout<reinf::TtpAjuste> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<reinf::TcodAjuste> {
  static constexpr std::array<std::string_view, 11> kCodigos{"1", "2", "3", "4",  "5", "6",
                                                             "7", "8", "9", "10", "11"};
};
template <>
struct CodigosLayout<reinf::TindNIF> {
  static constexpr std::array<std::string_view, 3> kCodigos{"1", "2", "3"};
};
template <>
struct CodigosLayout<reinf::TindTpDeducao> {
  static constexpr std::array<std::string_view, 6> kCodigos{"1", "2", "3", "4", "5", "6"};
};
template <>
struct CodigosLayout<reinf::TtpIsencao> {
  static constexpr std::array<std::string_view, 11> kCodigos{"1", "2", "3", "4",  "5", "6",
                                                             "7", "8", "9", "10", "11"};
};
template <>
struct CodigosLayout<reinf::TindPerReferencia> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TindOrigemRecursos> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TtpCompeticao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<reinf::TcategEvento> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "2", "3", "4"};
};
template <>
struct CodigosLayout<reinf::TtpIngresso> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "2", "3", "4"};
};
template <>
struct CodigosLayout<reinf::TtpReceita> {
  static constexpr std::array<std::string_view, 5> kCodigos{"1", "2", "3", "4", "5"};
};

}  // namespace luvaro
