#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dfe/xml/variante.h"

namespace luvaro {

// Field types of the writer and the reader, in ordinal order.
enum class TTipoCampo : std::uint8_t {
  tcStr,
  tcInt,
  tcDat,
  tcDatHor,
  tcEsp,
  tcDe2,
  tcDe3,
  tcDe4,
  tcDe10,
  tcHor,
  tcDe6,
  tcDatCFe,
  tcHorCFe,
  tcDatVcto,
  tcDatHorCFe,
  tcBoolStr,
  tcStrOrig,
  tcNumStr
};

// What SalvarArquivo writes: the XML document or the flat text.
enum class TFormatoGravacao : std::uint8_t { fgXML, fgTXT };

inline constexpr const char* kFormatoAlertaPadrao =
    "TAG:%TAGNIVEL% ID:%ID%/%TAG%(%DESCRICAO%) - %MSG%.";

// Options of the writer; the web-service call copies them from the component's configuration.
class TGeradorOpcoes {
 public:
  bool SomenteValidar() const { return FSomenteValidar; }
  void SetSomenteValidar(bool value) { FSomenteValidar = value; }
  bool RetirarEspacos() const { return FRetirarEspacos; }
  void SetRetirarEspacos(bool value) { FRetirarEspacos = value; }
  bool RetirarAcentos() const { return FRetirarAcentos; }
  void SetRetirarAcentos(bool value) { FRetirarAcentos = value; }
  bool IdentarXML() const { return FIdentarXML; }
  void SetIdentarXML(bool value) { FIdentarXML = value; }
  int TamanhoIdentacao() const { return FTamanhoIdentacao; }
  void SetTamanhoIdentacao(int value) { FTamanhoIdentacao = value < 0 ? 0 : value; }
  bool SuprimirDecimais() const { return FSuprimirDecimais; }
  void SetSuprimirDecimais(bool value) { FSuprimirDecimais = value; }
  bool TagVaziaNoFormatoResumido() const { return FTagVaziaNoFormatoResumido; }
  void SetTagVaziaNoFormatoResumido(bool value) { FTagVaziaNoFormatoResumido = value; }
  const std::string& FormatoAlerta() const { return FFormatoAlerta; }
  void SetFormatoAlerta(const std::string& value) { FFormatoAlerta = value; }
  char DecimalChar() const { return FDecimalChar; }
  void SetDecimalChar(char value) { FDecimalChar = value; }
  const std::string& QuebraLinha() const { return FQuebraLinha; }
  void SetQuebraLinha(const std::string& value) { FQuebraLinha = value; }

  int FNivelIdentacao = 0;  // current indentation level

 private:
  bool FSomenteValidar = false;
  bool FRetirarEspacos = true;
  bool FRetirarAcentos = true;
  bool FIdentarXML = false;
  int FTamanhoIdentacao = 3;
  bool FSuprimirDecimais = false;
  bool FTagVaziaNoFormatoResumido = true;
  std::string FFormatoAlerta = kFormatoAlertaPadrao;
  char FDecimalChar = '.';
  std::string FQuebraLinha;
};

// Streams an XML document element by element. Each field is formatted by its type and
// checked against its size and occurrence; problems become alert lines, never failures.
//
// Flat-text layout. Besides the XML, the writer can fill a flat text of records whose fields
// are separated by "|", from the same calls, when LayoutArquivoTXT holds a layout (no document
// of this program has one; with an empty layout nothing of this happens). Each layout line is
// one record: the identifiers of the groups it belongs to, each as "<" + ID + ">", then the
// record's text, in which every field waits as "|" + its tag + "¨", for example
//
//   <B01>B|cUF¨|cNF¨|natOp¨|
//
// Opening a group with an ID (wGrupo) appends a copy of every record of that ID to
// ArquivoFormatoTXT (gtNivel); writing a field (wCampo) puts its content, as it goes into the
// element, in the place of "|" + tag + "¨" of the latest record still waiting for that tag
// (gtCampo); gtAjustarRegistros finishes the text once the document is complete. Tags and
// IDs match without regard to ASCII letter case.
class TGerador {
 public:
  const std::string& ArquivoFormatoXML() const { return FArquivoFormatoXML; }
  void SetArquivoFormatoXML(const std::string& value) { FArquivoFormatoXML = value; }
  // The flat text: its records separated by CR LF.
  const std::string& ArquivoFormatoTXT() const { return FArquivoFormatoTXT; }
  void SetArquivoFormatoTXT(const std::string& value) { FArquivoFormatoTXT = value; }
  // The flat-text layout, one record per line (see above); empty by default.
  const std::vector<std::string>& LayoutArquivoTXT() const { return FLayoutArquivoTXT; }
  std::vector<std::string>& LayoutArquivoTXT() { return FLayoutArquivoTXT; }
  const std::vector<std::string>& ListaDeAlertas() const { return FListaDeAlertas; }
  std::vector<std::string>& ListaDeAlertas() { return FListaDeAlertas; }
  const std::string& IDNivel() const { return FIDNivel; }
  const std::string& TagNivel() const { return FTagNivel; }
  TGeradorOpcoes& Opcoes() { return FOpcoes; }
  const TGeradorOpcoes& Opcoes() const { return FOpcoes; }
  const std::string& Prefixo() const { return FPrefixo; }
  void SetPrefixo(const std::string& value) { FPrefixo = value; }

  // Opens ("tag attr=...") or closes ("/tag") a group.
  void wGrupo(const std::string& TAG, const std::string& ID = "", bool Identar = true);
  void wCampo(TTipoCampo Tipo, const std::string& ID, const std::string& TAG, int min, int max,
              int ocorrencias, const Variant& valor, const std::string& Descricao = "",
              bool ParseTextoXML = true, const std::string& Atributo = "");
  void wCampoCNPJCPF(const std::string& ID1, const std::string& ID2, const std::string& CNPJCPF,
                     bool obrigatorio = true, bool PreencheZeros = true);
  void wCampoCNPJ(const std::string& ID, const std::string& CNPJ, int cPais, bool obrigatorio);
  void wCampoCPF(const std::string& ID, const std::string& CPF, int cPais, bool obrigatorio);
  void wAlerta(const std::string& ID, const std::string& TAG, const std::string& Descricao,
               const std::string& Alerta);
  void wTexto(const std::string& Texto);
  // As wGrupo and wCampo with Prefixo put before the tag name.
  void wGrupoNFSe(const std::string& TAG, const std::string& ID = "", bool Identar = true);
  void wCampoNFSe(TTipoCampo Tipo, const std::string& ID, const std::string& TAG, int min, int max,
                  int ocorrencias, const Variant& valor, const std::string& Descricao = "",
                  bool ParseTextoXML = true, const std::string& Atributo = "");

  // Flat-text layout (nothing while LayoutArquivoTXT is empty):
  // appends a copy of each layout record that belongs to the group ID;
  void gtNivel(const std::string& ID);
  // fills the latest record still waiting for Tag with Conteudo ("|" in it becomes "&pipe;"
  // and a line break ";", so that the content cannot split the record);
  void gtCampo(const std::string& Tag, const std::string& Conteudo);
  // finishes the text: puts ID, when given (the document's identifier, known only at the
  // end), into the fields still waiting under the tag "Id", drops the records none of whose
  // fields was written (the alternative records of a group, such as a CNPJ and a CPF form),
  // and empties every other field never written, keeping its place between the separators.
  void gtAjustarRegistros(const std::string& ID);

  // Writes ArquivoFormatoXML (fgXML) or ArquivoFormatoTXT (fgTXT) followed by CR LF. Throws
  // EDFeException when the file cannot be written.
  bool SalvarArquivo(const std::filesystem::path& CaminhoArquivo,
                     TFormatoGravacao FormatoGravacao = TFormatoGravacao::fgXML);

 private:
  void AdicionarConteudo(const std::string& texto);
  std::string Indentacao() const;
  void wDocumento(const std::string& ID, const std::string& valor, bool obrigatorio,
                  const char* TAG, std::size_t tamanho, const std::string& Descricao);

  std::string FArquivoFormatoXML;
  std::string FArquivoFormatoTXT;
  std::vector<std::string> FLayoutArquivoTXT;
  std::vector<std::string> FListaDeAlertas;
  std::string FTagNivel;
  std::string FIDNivel;
  TGeradorOpcoes FOpcoes;
  std::string FPrefixo;
};

}  // namespace luvaro
