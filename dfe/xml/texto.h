#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro {

// Small text helpers shared by the XML writer, the reader and the configuration. Text is
// UTF-8; "blank" means any byte up to the space (the control characters and the space).

std::string trimText(std::string_view text);
std::string_view trimView(std::string_view text);  // the same part of the text, not a copy
std::string trimLeft(std::string_view text);
std::string trimRight(std::string_view text);
// ASCII letters only, so that byte positions stay the same in the copy.
std::string upperAscii(std::string_view text);
std::string lowerAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b) noexcept;
// Whether `needle` occurs in `text`, ASCII letters matched in either case; no copy is made,
// so that it serves for texts as large as a whole lot.
bool containsNoCase(std::string_view text, std::string_view needle) noexcept;
bool startsWithNoCase(std::string_view text, std::string_view prefix) noexcept;
std::string replaceAll(std::string text, std::string_view from, std::string_view to);
// The ASCII digits of the text, in order.
std::string digitsOnly(std::string_view text);
bool isAllDigits(std::string_view text) noexcept;

// The lines of a text; CR LF, LF and a lone CR each end one; a final line break adds no empty
// line.
std::vector<std::string> splitLines(std::string_view text);
// Text from UTF-16 bytes (little or big endian, without the byte-order mark).
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);

// The position of the first byte that is not part of valid UTF-8, or nothing when the whole
// text is valid UTF-8.
std::optional<std::size_t> invalidUtf8At(std::string_view text) noexcept;
// Characters (code points) in UTF-8 text; each invalid byte counts as one.
std::size_t utf8Length(std::string_view text) noexcept;
// Appends the UTF-8 form of one code point (invalid ones as U+FFFD).
void appendUtf8(std::string& out, char32_t codePoint);

// The Windows-1252 bytes of UTF-8 text; characters the code page lacks become '?'.
std::string utf8ToWindows1252(std::string_view text);
// The UTF-8 form of Windows-1252 bytes.
std::string windows1252ToUtf8(std::string_view bytes);

// A number read from text after trimming, "." or "," as the decimal separator, nothing
// when the whole text is not a number.
std::optional<double> parseDecimal(std::string_view text);
// A whole number read from the trimmed text (optional sign); nothing when it is not one.
std::optional<long long> parseInteger(std::string_view text);

// The number rounded half away from zero to `decimals` places, with `decimalChar` as
// separator and no thousands separator; nothing for NaN or infinity.
std::optional<std::string> formatFixed(double value, int decimals, char decimalChar = '.');
// Up to 15 significant digits, "." as separator, no exponent for ordinary magnitudes.
std::string formatGeneral(double value);

}  // namespace luvaro
