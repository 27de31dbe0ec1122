#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "dfe/xml/gerador.h"
#include "dfe/xml/leitor.h"
#include "reinf/reinf_conversao.h"
#include "reinf/ret_comum.h"

namespace luvaro::reinf {

class TReinfComponente;

// One event document of the lot, from the opening of its Reinf element to "</Reinf>".
class TItemLoteEventos {
 public:
  explicit TItemLoteEventos(TReinfComponente& AOwner) : FComponente(&AOwner) {}

  TReinfComponente& Componente() const { return *FComponente; }
  // Not filled by the lot.
  TTipoEvento TipoEvento() const { return FTipoEvento; }
  void SetTipoEvento(TTipoEvento value) { FTipoEvento = value; }
  const std::string& XML() const { return FXML; }
  // Stores the document and loads it into Leitor.
  void SetXML(const std::string& value);
  // The file it was read from, when the lot was loaded from a file.
  const std::string& NomeArq() const { return FNomeArq; }
  void SetNomeArq(const std::string& value) { FNomeArq = value; }
  TLeitor& Leitor() { return FLeitor; }

  // "ID" + the digits among the 38 characters after the first "id=\"" of the document; empty
  // when the document has no "id=".
  std::string IDEvento() const;

 private:
  TReinfComponente* FComponente;
  TTipoEvento FTipoEvento = TTipoEvento::teR1000;
  std::string FXML;
  std::string FNomeArq;
  TLeitor FLeitor;
};

// The lot document of the send call: every event the component holds, grouped by type in the
// collections' order, each inside an "evento" element repeating its identifier, checked
// against the lot schema.
class TLoteEventos {
 public:
  explicit TLoteEventos(TReinfComponente& AOwner);
  ~TLoteEventos();
  TLoteEventos(const TLoteEventos&) = delete;  // bound to its component
  TLoteEventos& operator=(const TLoteEventos&) = delete;

  TReinfComponente& Componente() const { return *FComponente; }
  // Created and freed with the lot; not written into the document.
  TInscricao& IdeEmpregador() { return *FIdeEmpregador; }
  TIdeTransmissor& IdeTransmissor() { return *FIdeTransmissor; }
  // Not used by the document assembly.
  TGerador& Gerador() { return *FGerador; }
  // The last document built by GerarXML.
  const std::string& XML() const { return FXML; }

  TItemLoteEventos& Add();
  TItemLoteEventos& Items(std::size_t Index) { return *FItems.at(Index); }
  const TItemLoteEventos& Items(std::size_t Index) const { return *FItems.at(Index); }
  std::size_t Count() const { return FItems.size(); }
  void Clear() { FItems.clear(); }

  // Rebuilds the items from the component's events and assembles XML; with
  // Geral.ExibirErroSchema set, EReinfException "Houve erro na validação do Lote: " + the
  // validator's message when the lot does not pass its schema (or the schema is missing).
  void GerarXML();
  // Appends one item per "</Reinf>"-terminated document of the text; true when the lot then
  // has items.
  bool LoadFromString(const std::string& AXMLString);
  // The file's text (UTF-8, or Windows-1252 when it is not valid UTF-8), then LoadFromString;
  // every item's NomeArq becomes the path.
  bool LoadFromFile(const std::string& CaminhoArquivo);
  // The whole stream from its start, then LoadFromString.
  bool LoadFromStream(std::istream& AStream);

 private:
  void Validar();

  TReinfComponente* FComponente;
  std::unique_ptr<TInscricao> FIdeEmpregador;
  std::unique_ptr<TIdeTransmissor> FIdeTransmissor;
  std::unique_ptr<TGerador> FGerador;
  std::vector<std::unique_ptr<TItemLoteEventos>> FItems;
  std::string FXML;
};

}  // namespace luvaro::reinf
