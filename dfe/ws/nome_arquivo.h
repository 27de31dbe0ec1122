#pragma once

#include <string>
#include <string_view>

namespace luvaro {

// A part of a saved file's name made safe: every byte other than an ASCII letter, a digit,
// "-", "_" or "." becomes "_", and a "." right after another "." becomes "_". The result holds
// no path separator and no "..", so a name built from values a service returned (identifiers,
// receipt numbers) can never leave the save folder. Ordinary names pass unchanged.
std::string NomeArquivoSeguro(std::string_view parte);

}  // namespace luvaro
