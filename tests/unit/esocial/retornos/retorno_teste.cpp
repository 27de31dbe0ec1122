#include "tests/unit/esocial/retornos/retorno_teste.h"

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace luvaro::test {

std::string RetornoFixture(std::string_view nome) {
  return ReadFile(std::filesystem::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" /
                  "esocial_retornos" / nome);
}

}  // namespace luvaro::test
