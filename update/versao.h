#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dfe/dfe_exception.h"

namespace luvaro {

// This program's own version, as the update server names it (the window caption shows it too).
inline constexpr std::string_view kVersaoLuvaro = "1.14";
// The oldest ERP version this program works with.
inline constexpr std::string_view kVersaoOrvaneMinima = "4.0.01-180629";

// The user agent of the update server's requests: "Luvaro/" and this program's version.
inline std::string AgenteUsuario() {
  return "Luvaro/" + std::string(kVersaoLuvaro);
}

// The update server's answer.
struct TResultVersao {
  std::string versaoAtual;    // the latest program version
  std::string versaoOrvane;   // the oldest ERP version the latest program version needs
  std::string linkAtualizar;  // where its installer is downloaded from
  // The third field of "informacaoComplementar" as sent ("" when the reply has two):
  // "sha256:" and the installer's SHA-256 in 64 hexadecimal digits.
  std::string resumoInstalador = {};
};

// A version text that holds no digit, so it cannot be compared.
class EVersaoInvalida : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

// A version as a number made of its digits only: "4.0.01-180629" counts 4001180629, so texts
// with more digits count higher. Throws EVersaoInvalida when the text holds no digit.
double NumeroVersao(const std::string& pVersao);

// Reads the reply body of the version query: a JSON object whose text "versao" is the latest
// version and whose text "informacaoComplementar" holds the ERP version it needs, ";" and the
// installer's address, optionally followed by ";" and the installer's digest (everything after
// the second ";"). Throws EDFeException saying what is wrong.
TResultVersao LerResultVersao(const std::string& pCorpo);

// The installer's SHA-256 the answer states, in lower-case hexadecimal: nothing for a reply of
// two fields; EDFeException when the third field is not "sha256:" and 64 hexadecimal digits.
std::optional<std::string> Sha256Esperado(const TResultVersao& pResultado);

// What the update check does with an answer.
enum class TDecisaoAtualizacao {
  Continuar,            // this is the latest version: the job runs
  OrvaneAbaixoMinimo,   // the installed ERP is older than this program needs: stop
  Baixar,               // a new version the installed ERP can run: download its installer
  OrvaneDesatualizado,  // a new version that needs a newer ERP: stop
};

// The decision for the installed ERP version and the server's answer. Throws EVersaoInvalida
// when a version that must be compared holds no digit.
TDecisaoAtualizacao DecidirAtualizacao(const std::string& pVersaoOrvaneInstalada,
                                       const TResultVersao& pResultado);

}  // namespace luvaro
