#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace luvaro {

// Base64 on one line (OpenSSL's encoder).
std::string base64Encode(std::string_view bytes);
// Base64 to bytes, line breaks and blanks ignored; nothing when the text is not Base64.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace luvaro
