#pragma once

#include <string>
#include <string_view>

#include "dfe/xml/data_hora.h"

namespace luvaro::test {

// A reply fixture of tests/fixtures/esocial_retornos.
std::string RetornoFixture(std::string_view nome);

inline DateTime Data(int ano, int mes, int dia, int hora = 0, int minuto = 0, int segundo = 0) {
  return encodeDateTime(ano, mes, dia, hora, minuto, segundo);
}

}  // namespace luvaro::test
