#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace luvaro {

// The layout codes of the enumerations that documents carry (eSocial and EFD-Reinf), each
// enumeration with the table of its codes indexed by ordinal. Writing takes the code of a value
// (CodigoDe); reading takes the value of a code (ValorDoCodigo): letter case ignored, a found
// flag, and the first value of the enumeration when the code is unknown.

// The code table of each enumeration, by ordinal.
template <typename E>
struct CodigosLayout;

// The mode of a table event: the group it opens inside its info group.
enum class TModoLancamento : std::uint8_t { mlInclusao, mlAlteracao, mlExclusao };

template <>
struct CodigosLayout<TModoLancamento> {
  static constexpr std::array<std::string_view, 3> kCodigos{"inclusao", "alteracao", "exclusao"};
};

// classTrib: the employer's or contributor's tax classification (the two digits of each name).
enum class TpClassTrib : std::uint8_t {
  ct00,
  ct01,
  ct02,
  ct03,
  ct04,
  ct06,
  ct07,
  ct08,
  ct09,
  ct10,
  ct11,
  ct13,
  ct14,
  ct21,
  ct22,
  ct60,
  ct70,
  ct80,
  ct85,
  ct99
};
// indSitPJ: a company's situation.
enum class tpIndSitPJ : std::uint8_t { spNormal, spExtincao, spFusao, spCisao, spIncorporacao };

template <>
struct CodigosLayout<TpClassTrib> {
  static constexpr std::array<std::string_view, 20> kCodigos{
      "00", "01", "02", "03", "04", "06", "07", "08", "09", "10",
      "11", "13", "14", "21", "22", "60", "70", "80", "85", "99"};
};
template <>
struct CodigosLayout<tpIndSitPJ> {
  static constexpr std::array<std::string_view, 5> kCodigos{"0", "1", "2", "3", "4"};
};

// Index of `codigo` in `codigos` (letter case ignored), or codigos.size() when absent.
std::size_t IndiceDoCodigo(const std::string_view* codigos, std::size_t quantidade,
                           std::string_view codigo) noexcept;

// The layout code of a value; empty for an ordinal outside the table.
template <typename E>
std::string CodigoDe(E valor) {
  const auto& codigos = CodigosLayout<E>::kCodigos;
  const auto indice = static_cast<std::size_t>(static_cast<std::underlying_type_t<E>>(valor));
  return indice < codigos.size() ? std::string(codigos[indice]) : std::string();
}

// The value of a layout code; `ok` tells whether it was found (else the first value).
template <typename E>
E ValorDoCodigo(std::string_view codigo, bool& ok) {
  const auto& codigos = CodigosLayout<E>::kCodigos;
  const std::size_t indice = IndiceDoCodigo(codigos.data(), codigos.size(), codigo);
  ok = indice < codigos.size();
  return ok ? static_cast<E>(indice) : static_cast<E>(0);
}

template <typename E>
E ValorDoCodigo(std::string_view codigo) {
  bool ok = false;
  return ValorDoCodigo<E>(codigo, ok);
}

}  // namespace luvaro
