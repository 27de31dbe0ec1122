#pragma once

#include <array>
#include <filesystem>
#include <istream>
#include <string>

#include "dfe/xml/gerador.h"
#include "dfe/xml/variante.h"

namespace luvaro {

// Reads fields out of a reply by plain text search: rExtrai cuts an element out of a level,
// rCampo and rAtributo read from the element cut last (Grupo). No DOM is built.
class TLeitor {
 public:
  const std::string& Arquivo() const { return FArquivo; }
  void SetArquivo(const std::string& value) { FArquivo = value; }
  const std::string& Grupo() const { return FGrupo; }
  void SetGrupo(const std::string& value) { FGrupo = value; }
  // Level 0 is the document; level n the element extracted at level n.
  const std::string& Nivel(int nivel) const;

  // Arquivo := the file's lines (byte-order mark dropped) joined with CR LF, ending with one.
  // Throws EDFeException when the file cannot be read.
  bool CarregarArquivo(const std::filesystem::path& CaminhoArquivo);
  // Arquivo := the stream's whole text.
  bool CarregarArquivo(std::istream& Stream);

  // The text of the item-th element TagInicio..TagFim of level nivel - 1 (1 <= nivel <= 10),
  // tags included; also kept in Grupo and level nivel. Empty when absent.
  std::string rExtrai(int nivel, const std::string& TagInicio, const std::string& TagFim = "",
                      int item = 1);
  // A field of Grupo read by type; empty/zero when absent or when TAGparada opens before it.
  // Throws EDFeException for the types that cannot be read and for malformed dates.
  Variant rCampo(TTipoCampo Tipo, const std::string& TAG, const std::string& TAGparada = "");
  std::string rCampoCNPJCPF(const std::string& TAGparada = "");
  // An attribute value of Grupo (searched from Tag on when Tag occurs after the first match).
  std::string rAtributo(const std::string& Atributo, const std::string& Tag = "");
  // Position (from 1) of the last occurrence of SubStr in S; 0 when none.
  static std::size_t PosLast(const std::string& SubStr, const std::string& S);

 private:
  static constexpr int kNiveis = 11;
  std::string FArquivo;
  std::string FGrupo;
  std::array<std::string, kNiveis> FNivel;
};

}  // namespace luvaro
