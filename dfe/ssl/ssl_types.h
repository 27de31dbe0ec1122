#pragma once

#include <cstdint>

namespace luvaro {

// Back-end and algorithm choices of the security facade, identifiers in ordinal order (the
// ordinals are stored in INI files, so the order is part of the format).

enum class TSSLLib : std::uint8_t {
  libNone, libOpenSSL, libCapicom, libCapicomMorvelSoap, libWinCrypt, libCustom
};
enum class TSSLCryptLib : std::uint8_t { cryNone, cryOpenSSL, cryCapicom, cryWinCrypt };
enum class TSSLHttpLib : std::uint8_t {
  httpNone, httpWinINet, httpWinHttp, httpOpenSSL, httpZorv
};
enum class TSSLXmlSignLib : std::uint8_t {
  xsNone, xsXmlSec, xsMsXml, xsMsXmlCapicom, xsLibXml2
};
enum class TSSLType : std::uint8_t {
  LT_all, LT_SSLv2, LT_SSLv3, LT_TLSv1, LT_TLSv1_1, LT_TLSv1_2, LT_SSHv2
};
enum class TSSLStoreLocation : std::uint8_t {
  slMemory, slLocalMachine, slCurrentUser, slActiveDirectory, slSmartCard
};
enum class TSSLDgst : std::uint8_t {
  dgstMD2, dgstMD4, dgstMD5, dgstRMD160, dgstSHA, dgstSHA1, dgstSHA256, dgstSHA512
};
enum class TSSLHashOutput : std::uint8_t { outHexa, outBase64, outBinary };
enum class TSSLTipoCertificado : std::uint8_t { tpcDesconhecido, tpcA1, tpcA3 };

// The enumeration identifier as text ("dgstSHA256"), for messages that name it.
const char* NomeDgst(TSSLDgst value) noexcept;

}  // namespace luvaro
