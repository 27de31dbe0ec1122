#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace luvaro {

// Scrambles the bytes of Dados with Chave: byte i is combined with key byte i mod n by
// exclusive or, except that a byte equal to its key byte stays as it is (so no zero byte
// appears). An empty data or key leaves the data unchanged. Applied twice with the same key it
// gives the data back, which is how both storing and reading use it.
std::string CifrarTexto(std::string_view Dados, std::string_view Chave);

// Base64 on one line (OpenSSL's encoder).
std::string base64Encode(std::string_view bytes);
// Base64 to bytes, line breaks and blanks ignored; nothing when the text is not Base64.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace luvaro
