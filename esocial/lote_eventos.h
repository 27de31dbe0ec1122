#pragma once

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "dfe/xml/leitor.h"
#include "esocial/esocial_collection.h"
#include "esocial/inscricao.h"

namespace luvaro {

// One event document of the lot.
class TItemLoteEventos {
 public:
  const std::string& XML() const { return FXML; }
  // Stores the document and loads it into Leitor.
  void SetXML(const std::string& value);
  // "ID" + the digits of the 38 characters after the quote mark that follows the first "Id="
  // (the event's own identifier for a 36-character one); empty without "Id=".
  std::string IDEvento() const;
  TTipoEvento TipoEvento() const { return FTipoEvento; }
  void SetTipoEvento(TTipoEvento value) { FTipoEvento = value; }
  const std::string& NomeArq() const { return FNomeArq; }
  void SetNomeArq(const std::string& value) { FNomeArq = value; }
  TLeitor& Leitor() { return FLeitor; }

 private:
  friend class TLoteEventos;  // the lot builder sets the text and leaves the reader empty
  std::string FXML;
  TTipoEvento FTipoEvento = TTipoEvento::teS1000;
  std::string FNomeArq;
  TLeitor FLeitor;
};

// The document that the send-lot service takes: the employer, the transmitter and every
// signed event of the container, each in an "evento" element, checked against the lot schema.
class TLoteEventos : public TeSocialCollection {
 public:
  explicit TLoteEventos(TeSocialComponente& AeSocial);
  ~TLoteEventos() override;

  TIdeEmpregador& IdeEmpregador() { return FIdeEmpregador; }
  TIdeTransmissor& IdeTransmissor() { return FIdeTransmissor; }
  // The lot document of the last GerarXML.
  const std::string& XML() const { return FXML; }

  TItemLoteEventos& Add();
  TItemLoteEventos& New() { return Add(); }
  TItemLoteEventos& Items(int Index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

  // Every document of the text (split after each "</eSocial>") becomes an item. True when
  // the lot holds items afterwards.
  bool LoadFromString(const std::string& AXMLString);
  // Loads the file's text, then names it in NomeArq of every item.
  bool LoadFromFile(const std::string& CaminhoArquivo);
  // Reads the whole stream from its start.
  bool LoadFromStream(std::istream& AStream);

  // Rebuilds the items from the container (group and table order) and writes XML with the
  // group number; a lot failing its schema raises only with Geral.ExibirErroSchema on.
  void GerarXML(int grupo);

 private:
  TIdeEmpregador FIdeEmpregador;
  TIdeTransmissor FIdeTransmissor;
  std::string FXML;
  std::vector<std::unique_ptr<TItemLoteEventos>> FItems;
};

}  // namespace luvaro
