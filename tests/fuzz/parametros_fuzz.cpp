// The command line as the ERP starts the program: the input's NUL bytes separate the
// arguments (the first is the executable). The reader accepts a line only with every value in
// its range, refuses any other with EParametroInvalido, and its integers read as strtol reads
// them.

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/parametros.h"
#include "app/core/worker.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// A whole decimal number as the C library reads it (blanks and a sign before it).
bool StrtolAceita(const std::string& texto, long& valor) {
  if (texto.find('\0') != std::string::npos || texto.empty()) return false;
  const char* inicio = texto.c_str();
  while (*inicio == ' ' || *inicio == '\t') ++inicio;
  if (*inicio == '\0' || (inicio[0] == '+' && inicio[1] == '-')) return false;
  // strtol also skips line breaks and other blanks the reader does not take.
  if (*inicio != '+' && *inicio != '-' && (*inicio < '0' || *inicio > '9')) return false;
  char* fim = nullptr;
  errno = 0;
  valor = std::strtol(inicio, &fim, 10);
  return errno == 0 && *fim == '\0' && valor >= INT32_MIN && valor <= INT32_MAX;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args = luvaro::fuzz::Partes(luvaro::fuzz::Bytes(data, size), '\0');
  (void)luvaro::LinhaLogParametros(args);

  for (const std::string& arg : args) {
    long esperado = 0;
    const bool aceito = StrtolAceita(arg, esperado);
    try {
      const std::int32_t valor = luvaro::StrToInt(arg);
      LUVARO_FUZZ_CHECK(aceito && valor == esperado);
    } catch (const luvaro::EParametroInvalido&) {
      LUVARO_FUZZ_CHECK(!aceito);
    }
  }

  try {
    const luvaro::TRecParametros p = luvaro::LerParametros(args);
    const int processo = static_cast<int>(p.processoExecutar);
    LUVARO_FUZZ_CHECK(processo >= 0 && processo <= 2);
    LUVARO_FUZZ_CHECK(p.ambiente == 0 || p.ambiente == 1);
    LUVARO_FUZZ_CHECK(processo != 0 || (p.grupoESocial >= 1 && p.grupoESocial <= 3));
    LUVARO_FUZZ_CHECK(processo != 1 || !p.protocoloConsulta.empty());
    LUVARO_FUZZ_CHECK(!p.urlOrvaneXml.empty() && !p.empresaKey.empty());
    const luvaro::TEnderecosOrvane enderecos = luvaro::MontarEnderecosOrvane(p);
    LUVARO_FUZZ_CHECK(enderecos.UrlBuscaEventos.starts_with(p.urlOrvaneXml));
  } catch (const luvaro::EParametroInvalido&) {
    // refused with the first failing check's message
  }
  return 0;
}
