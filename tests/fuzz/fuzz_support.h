#pragma once

// Shared pieces of the libFuzzer targets: the check that stops a run with the broken property
// named (libFuzzer then keeps the input as a crash), and the small readers of fuzz bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro::fuzz {

// Stops the run when a property that must hold for every input does not.
[[noreturn]] inline void Falhou(const char* propriedade, const char* arquivo, int linha) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", arquivo, linha, propriedade);
  std::abort();
}

#define LUVARO_FUZZ_CHECK(cond) \
  ((cond) ? (void)0 : ::luvaro::fuzz::Falhou(#cond, __FILE__, __LINE__))

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The pieces of `texto` between the separator bytes (an empty piece where two meet).
inline std::vector<std::string> Partes(std::string_view texto, char separador) {
  std::vector<std::string> partes;
  std::size_t inicio = 0;
  for (;;) {
    const std::size_t fim = texto.find(separador, inicio);
    partes.emplace_back(texto.substr(inicio, fim == std::string_view::npos ? fim : fim - inicio));
    if (fim == std::string_view::npos) return partes;
    inicio = fim + 1;
  }
}

// Whether `parte` is a piece of `todo` (the readers cut, they never make text up).
inline bool Contido(std::string_view parte, std::string_view todo) {
  return parte.empty() || todo.find(parte) != std::string_view::npos;
}

// Strict UTF-8 (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
bool Utf8Estrito(std::string_view texto);

}  // namespace luvaro::fuzz
