#pragma once

// Private to the security facade (dfe/ssl and dfe/platform/<os>): the Base64 block coding of
// the platform's crypto library, behind the checks of codec.cpp.

#include <optional>
#include <string>
#include <string_view>

namespace luvaro {

// Standard Base64 with padding, on one line.
std::string Base64EncodeBlock(std::string_view bytes);
// `text` holds only Base64 letters and a length that is a multiple of four, with "=" at most in
// its last two places (codec.cpp checks that); nothing when the library refuses it.
std::optional<std::string> Base64DecodeBlock(std::string_view text);

}  // namespace luvaro
