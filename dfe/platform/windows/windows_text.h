#pragma once

// Text conversions between UTF-8 and the system's UTF-16, and the system's texts of error codes,
// for the Windows platform files (dfe/platform/windows, app/core/platform/windows).

#include <windows.h>

#include <string>
#include <string_view>

namespace luvaro {

// UTF-8 to UTF-16 and back; invalid sequences become the replacement character.
std::wstring Utf16(std::string_view text);
std::string Utf8(std::wstring_view text);

// A code in 8 upper-case hexadecimal digits, as the messages show error codes.
std::string Hex8(unsigned long code);

// The system's text for an error code (trimmed), looked up in `module`'s message table when
// given, else in the system's; empty when there is none.
std::string SystemMessage(unsigned long code, HMODULE module = nullptr);

}  // namespace luvaro
