#pragma once

#include <string>
#include <string_view>

namespace luvaro {

// Scrambles the bytes of Dados with Chave: byte i is combined with key byte i mod n by
// exclusive or, except that a byte equal to its key byte stays as it is (so no zero byte
// appears). An empty data or key leaves the data unchanged. Applied twice with the same key it
// gives the data back, which is how both storing and reading use it. Secrets kept in memory
// (passwords, PINs) and those written to INI files are held this way.
std::string CifrarTexto(std::string_view Dados, std::string_view Chave);

// The current local time as "hhnnsszzz": the key a secret is scrambled with when it is set.
std::string ChaveDoMomento();

}  // namespace luvaro
