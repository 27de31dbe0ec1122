#pragma once

// The byte encodings that digests, signatures, certificates and the configuration's secrets
// travel in (the platform crypto library's Base64 underneath; no library type in this header).

#include <optional>
#include <string>
#include <string_view>

namespace luvaro {

// Upper-case hexadecimal, two digits per byte.
std::string HexUpper(std::string_view bytes);
// Hexadecimal (either case) to bytes; nothing when the text is not an even run of hex digits.
std::optional<std::string> HexDecode(std::string_view text);

// Base64 on one line, without blanks.
std::string Base64Encode(std::string_view bytes);
// Base64 (blanks and line breaks ignored) to bytes; nothing when the text is not Base64.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace luvaro
