#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "esocial/codigos_layout.h"

namespace luvaro {

// Enumerations that the event models write and their INI texts read, each with its table of
// layout codes by ordinal (CodigoDe writes, ValorDoCodigo reads; see codigos_layout.h).

// procEmi: the employer's own application or the government's.
enum class TpProcEmi : std::uint8_t { peAplicEmpregador, peAplicGovernamental };
// indRetif: original event or retification.
enum class tpIndRetificacao : std::uint8_t { ireOriginal, ireRetificacao };
enum class TpIndCoop : std::uint8_t {
  icNaoeCooperativa,
  icCooperativaTrabalho,
  icCooperativaProducao,
  icOutrasCooperativas
};
enum class TpIndConstr : std::uint8_t { iconNaoeConstrutora, iconEmpresaConstrutora };
enum class TpIndDesFolha : std::uint8_t { idfNaoAplicavel, idfEnquadradaRegimeDesoneracao };
enum class TpIndOptRegEletron : std::uint8_t { iorNaoOptou, iorOptou };
enum class tpIndAcordoIsencaoMulta : std::uint8_t { iaiSemAcordo, iaiComAcordo };
// indOpcCP: the option for the contribution on revenue; icpNenhum is never written.
enum class TpIndOpcCP : std::uint8_t { icpNenhum, icpComercializacao, icpFolhaPagamento };
// The states of Brazil, in the order of their abbreviations.
enum class tpuf : std::uint8_t {
  ufAC,
  ufAL,
  ufAM,
  ufAP,
  ufBA,
  ufCE,
  ufDF,
  ufES,
  ufGO,
  ufMA,
  ufMG,
  ufMS,
  ufMT,
  ufPA,
  ufPB,
  ufPE,
  ufPI,
  ufPR,
  ufRJ,
  ufRN,
  ufRO,
  ufRR,
  ufRS,
  ufSC,
  ufSE,
  ufSP,
  ufTO
};
// subteto: the power whose ceiling applies, or all of them.
enum class tpIdeSubteto : std::uint8_t {
  idsExecutivo,
  idsJudiciario,
  idsLegislativo,
  idsTodosPoderes
};
enum class tpIndSitPF : std::uint8_t { spfNormal, spfEncerramentoEspolio, spfSaidaPais };

template <>
struct CodigosLayout<TpProcEmi> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<tpIndRetificacao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<TpIndCoop> {
  static constexpr std::array<std::string_view, 4> kCodigos{"0", "1", "2", "3"};
};
template <>
struct CodigosLayout<TpIndConstr> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<TpIndDesFolha> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<TpIndOptRegEletron> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<tpIndAcordoIsencaoMulta> {
  static constexpr std::array<std::string_view, 2> kCodigos{"0", "1"};
};
template <>
struct CodigosLayout<TpIndOpcCP> {
  static constexpr std::array<std::string_view, 3> kCodigos{"0", "1", "2"};
};
template <>
struct CodigosLayout<tpuf> {
  static constexpr std::array<std::string_view, 27> kCodigos{
      "AC", "AL", "AM", "AP", "BA", "CE", "DF", "ES", "GO", "MA", "MG", "MS", "MT", "PA",
      "PB", "PE", "PI", "PR", "RJ", "RN", "RO", "RR", "RS", "SC", "SE", "SP", "TO"};
};
template <>
struct CodigosLayout<tpIdeSubteto> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "2", "3", "9"};
};
template <>
struct CodigosLayout<tpIndSitPF> {
  static constexpr std::array<std::string_view, 3> kCodigos{"0", "1", "2"};
};

}  // namespace luvaro
