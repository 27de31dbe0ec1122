#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "dfe/modelos/codigos.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

// Enumerations of the eSocial layout that the replies read and the event models write, each
// with the table of its layout codes indexed by ordinal. Writing takes the code of a value
// (CodigoDe); reading takes the value of a code (ValorDoCodigo), see dfe/modelos/codigos.h.

// tpAmb: production, restricted production.
enum class TpTpAmb : std::uint8_t { taProducao, taProducaoRestrita };
// Yes/no answers ("S"/"N"): infoCota, clauAsseg, perHorFlexivel and many event fields.
enum class tpSimNao : std::uint8_t { tpSim, tpNao };
// tpRegJor: working-time regime of a CLT contract.
enum class tpTpRegJor : std::uint8_t {
  rjSubmetidosHorarioTrabalho,
  rjAtividadeExterna,
  rjFuncoesEspecificas,
  rjTeletrabalho
};
// undSalFixo: the unit of the fixed salary.
enum class tpUndSalFixo : std::uint8_t {
  sfPorHora,
  sfPorDia,
  sfPorSemana,
  sfPorQuinzena,
  sfPorMes,
  sfPorTarefa,
  sfNaoAplicavel
};
// tpContr: contract of indefinite or of fixed duration.
enum class tpTpContr : std::uint8_t { tcPrazoIndeterminado, tcPrazoDeterminado };
// tpJornada: kind of working day.
enum class tpTpJornada : std::uint8_t {
  tjHorarioDiarioFolgaFixos,
  tjJornada12x36,
  tjHorarioFixoFolgaVariavel,
  tjDemaisTipos
};
// tmpParc: part-time contract and its weekly limit.
enum class tpTmpParc : std::uint8_t {
  tpNaoTempoParcial,
  tpLimitado25Horas,
  tpLimitado30Horas,
  tpLimitado26Horas
};
// dia: day of the week of a working schedule, or a variable day.
enum class tpTpDia : std::uint8_t {
  diSegunda,
  diTerca,
  diQuarta,
  diQuinta,
  diSexta,
  diSabado,
  diDomingo,
  diVariavel
};
// indApuracao: monthly or yearly (13th salary) assessment.
enum class tpIndApuracao : std::uint8_t { iapuMensal, iapuAnual };
// tpInterv: break at a fixed or at a variable time.
enum class tpTpIntervalo : std::uint8_t { tinHorarioFixo, tinHorarioVariavel };

template <>
struct CodigosLayout<tpTpInsc> {
  static constexpr std::array<std::string_view, 5> kCodigos{"1", "2", "3", "4", "5"};
};
template <>
struct CodigosLayout<TpTpAmb> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<tpSimNao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"S", "N"};
};
template <>
struct CodigosLayout<tpTpRegJor> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "2", "3", "4"};
};
template <>
struct CodigosLayout<tpUndSalFixo> {
  static constexpr std::array<std::string_view, 7> kCodigos{"1", "2", "3", "4", "5", "6", "7"};
};
template <>
struct CodigosLayout<tpTpContr> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<tpTpJornada> {
  static constexpr std::array<std::string_view, 4> kCodigos{"1", "2", "3", "9"};
};
template <>
struct CodigosLayout<tpTmpParc> {
  static constexpr std::array<std::string_view, 4> kCodigos{"0", "1", "2", "3"};
};
template <>
struct CodigosLayout<tpTpDia> {
  static constexpr std::array<std::string_view, 8> kCodigos{"1", "2", "3", "4", "5", "6", "7", "8"};
};
template <>
struct CodigosLayout<tpIndApuracao> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};
template <>
struct CodigosLayout<tpTpIntervalo> {
  static constexpr std::array<std::string_view, 2> kCodigos{"1", "2"};
};

}  // namespace luvaro
