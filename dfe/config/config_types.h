#pragma once

#include <cstdint>

namespace luvaro {

// Enumerations of the configuration, identifiers in ordinal order (INI files store ordinals).
enum class TTipoAmbiente : std::uint8_t { taProducao, taHomologacao };
enum class TTipoEmissao : std::uint8_t {
  teNormal,
  teContingencia,
  teSCAN,
  teDPEC,
  teFSDA,
  teSVCAN,
  teSVCRS,
  teSVCSP,
  teOffLine
};
enum class TTimeZoneModoDeteccao : std::uint8_t { tzSistema, tzDFe, tzManual };
enum class TTagOrdenacaoPath : std::uint8_t { opNenhum, opCNPJ, opModelo, opData, opLiteral };

// Display names of TTagOrdenacaoPath: "(nenhum)", "CNPJ", "Modelo", "Data", "Literal".
const char* NomeTagOrdenacaoPath(TTagOrdenacaoPath value) noexcept;

}  // namespace luvaro
