#include "dfe/config/time_zone_conf.h"

#include <cstdio>
#include <cstdlib>

#include "dfe/dfe_exception.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/texto.h"

namespace luvaro {

const char* NomeTagOrdenacaoPath(TTagOrdenacaoPath value) noexcept {
  switch (value) {
    case TTagOrdenacaoPath::opNenhum:
      return "(nenhum)";
    case TTagOrdenacaoPath::opCNPJ:
      return "CNPJ";
    case TTagOrdenacaoPath::opModelo:
      return "Modelo";
    case TTagOrdenacaoPath::opData:
      return "Data";
    case TTagOrdenacaoPath::opLiteral:
      return "Literal";
  }
  return "";
}

std::string TTimeZoneConf::OffsetDoSistema() {
  const long offset = localUtcOffsetSeconds();
  const long minutes = std::labs(offset) / 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return buf;
}

void TTimeZoneConf::SetModoDeteccao(TTimeZoneModoDeteccao value) {
  if (value == FModoDeteccao) return;
  FModoDeteccao = value;
  if (FModoDeteccao != TTimeZoneModoDeteccao::tzManual) {
    FTimeZoneStr.clear();
  } else if (FTimeZoneStr.empty()) {
    FTimeZoneStr = OffsetDoSistema();
  }
}

void TTimeZoneConf::SetTimeZoneStr(const std::string& value) {
  if (value == FTimeZoneStr) return;
  if (FModoDeteccao != TTimeZoneModoDeteccao::tzManual) {
    FTimeZoneStr.clear();
    return;
  }
  const std::string texto = trimText(value);
  if (texto.empty()) {
    FTimeZoneStr = OffsetDoSistema();
    return;
  }
  if (texto.size() != 6) throw EDFeException("Tamanho de TimeZone deve ser 6. Ex: -03:00");
  if (texto[0] != '+' && texto[0] != '-') {
    throw EDFeException("Primeiro caractere deve ser \"+,-\". Ex: -03:00");
  }
  if (texto[3] != ':') throw EDFeException("Quarto caractere deve ser \":\". Ex: -03:00");
  // Characters 2-3 and 5-6 are read as numbers by themselves: the sign of the first character
  // takes no part in the hour's range, so "-12:00" passes as 12. Not a number counts as out of
  // range.
  const long long hora = parseInteger(texto.substr(1, 2)).value_or(99);
  if (hora < -11 || hora > 14) throw EDFeException("Hora deve estar entre -11 a +14. Ex: -03:00");
  const long long minuto = parseInteger(texto.substr(4, 2)).value_or(99);
  if (minuto < 0 || minuto > 59) throw EDFeException("Minuto deve estar entre 0 a 59. Ex: -03:00");
  FTimeZoneStr = texto;
}

void TTimeZoneConf::Assign(const TTimeZoneConf& source) {
  SetModoDeteccao(source.ModoDeteccao());
  SetTimeZoneStr(source.TimeZoneStr());
}

}  // namespace luvaro
