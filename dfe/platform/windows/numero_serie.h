#pragma once

// The serial number of a store certificate as the program shows and compares it; public to the
// Windows files of the application (its certificate selection dialog) as well.

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <string_view>

namespace luvaro {

// The serial number as the store shows it: the integer's bytes, big-endian, upper-case
// hexadecimal, without the sign byte (CryptoAPI keeps the DER bytes little-endian).
std::string NumeroSerieCertificado(PCCERT_CONTEXT certificate);

// Whether a serial number given by the user names `numeroSerie` of a certificate; a leading
// zero byte (the sign byte some viewers show) is not significant.
bool MesmoNumeroSerie(std::string_view informado, std::string_view numeroSerie);

}  // namespace luvaro
