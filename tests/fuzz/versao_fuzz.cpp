// The update server's answer: the JSON body read into the version, the ERP version it needs,
// the installer's address and its optional digest; the digest checked; the decision taken for
// an installed ERP version (taken from the input after its first NUL byte). Only
// EDFeException may come out, the fields are pieces of "informacaoComplementar", and a digest
// that passes is 64 lower-case hexadecimal digits.

#include <string>

#include "dfe/dfe_exception.h"
#include "tests/fuzz/fuzz_support.h"
#include "update/versao.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view entrada = luvaro::fuzz::Bytes(data, size);
  const std::size_t nul = entrada.find('\0');
  const std::string corpo(entrada.substr(0, nul));
  const std::string instalada(nul == std::string_view::npos ? "4.0.01-180629"
                                                            : entrada.substr(nul + 1));
  luvaro::TResultVersao resultado;
  try {
    resultado = luvaro::LerResultVersao(corpo);
  } catch (const luvaro::EDFeException&) {
    return 0;  // the update check tells the user the query failed and the job goes on
  }
  LUVARO_FUZZ_CHECK(resultado.versaoOrvane.find(';') == std::string::npos);
  LUVARO_FUZZ_CHECK(resultado.linkAtualizar.find(';') == std::string::npos);
  try {
    if (const auto hex = luvaro::Sha256Esperado(resultado)) {
      LUVARO_FUZZ_CHECK(hex->size() == 64);
      LUVARO_FUZZ_CHECK(hex->find_first_not_of("0123456789abcdef") == std::string::npos);
    } else {
      LUVARO_FUZZ_CHECK(resultado.resumoInstalador.empty());
    }
  } catch (const luvaro::EDFeException&) {
    LUVARO_FUZZ_CHECK(!resultado.resumoInstalador.empty());
  }
  try {
    (void)luvaro::DecidirAtualizacao(instalada, resultado);
  } catch (const luvaro::EVersaoInvalida&) {
    // a version without digits: the check ends without an update
  }
  return 0;
}
