#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "dfe/gravacao_incremental.h"
#include "reinf/reinf_colecoes.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

class TReinfComponente;

// One saved event file.
struct TGeradosCollectionItem {
  TTipoEvento TipoEvento = TTipoEvento::teR1000;
  std::string PathNome;  // the file's path without its ".xml" extension
  std::string XML;       // the document
  std::string IdEvento;  // the digits of the event identifier
};

class TGeradosCollection {
 public:
  TGeradosCollectionItem& Add() { return FItems.emplace_back(); }
  void Add(TGeradosCollectionItem item) { FItems.push_back(std::move(item)); }
  // Every entry, moved out; the collection is left empty.
  std::vector<TGeradosCollectionItem> TakeAll() { return std::exchange(FItems, {}); }
  const TGeradosCollectionItem& Items(std::size_t Index) const { return FItems.at(Index); }
  std::size_t Count() const { return FItems.size(); }
  void Clear() { FItems.clear(); }

 private:
  std::vector<TGeradosCollectionItem> FItems;
};

// The thirteen event collections, in the order of every walk over all events (and of the lot).
class TReinfEventos {
 public:
  TReinfEventos(TReinfComponente& AReinf, TGeradosCollection& AGerados);
  TReinfEventos(const TReinfEventos&) = delete;  // the collection list points into this object
  TReinfEventos& operator=(const TReinfEventos&) = delete;

  // Recognises the document's type and, when the type has a collection, adds an event holding
  // the document (signed, identified and validated through SetXML, whose failure propagates
  // with the event left in its collection). True when any event is loaded at all.
  bool LoadFromString(const std::string& AXMLString);
  // The same for INI text: the type from its "[element]" section, the event's INI reader.
  bool LoadFromIni(const std::string& AIniString);
  // Builds every event from its data, in order.
  void GerarXMLs();
  // Writes every event to Folder + identifier digits + "-" + type code + "-" + index + ".xml"
  // and records each file in Gerados. The folder is PathSalvar, or the EFD-Reinf folder when
  // that is empty; it is created when missing. A file that already holds the event's document
  // is not written again; its entry is taken from `anteriores` (the previous save's list) when
  // found there.
  void SaveToFiles(GeradosAnteriores<TGeradosCollectionItem>* anteriores = nullptr);
  void Clear();
  std::size_t Count() const;

  // The collections in walk order; the collection of a type (null for R-5001 and R-5011).
  std::span<TReinfColecao* const> Colecoes() const { return FColecoes; }
  TReinfColecao* ColecaoDoTipo(TTipoEvento tipo) const;

  TR1000Collection& R1000() { return FR1000; }
  TR1070Collection& R1070() { return FR1070; }
  TR2010Collection& R2010() { return FR2010; }
  TR2020Collection& R2020() { return FR2020; }
  TR2030Collection& R2030() { return FR2030; }
  TR2040Collection& R2040() { return FR2040; }
  TR2050Collection& R2050() { return FR2050; }
  TR2060Collection& R2060() { return FR2060; }
  TR2070Collection& R2070() { return FR2070; }
  TR2098Collection& R2098() { return FR2098; }
  TR2099Collection& R2099() { return FR2099; }
  TR3010Collection& R3010() { return FR3010; }
  TR9000Collection& R9000() { return FR9000; }

 private:
  TReinfComponente* FReinf;
  TGeradosCollection* FGerados;
  TR1000Collection FR1000;
  TR1070Collection FR1070;
  TR2010Collection FR2010;
  TR2020Collection FR2020;
  TR2030Collection FR2030;
  TR2040Collection FR2040;
  TR2050Collection FR2050;
  TR2060Collection FR2060;
  TR2070Collection FR2070;
  TR2098Collection FR2098;
  TR2099Collection FR2099;
  TR3010Collection FR3010;
  TR9000Collection FR9000;
  std::array<TReinfColecao*, 13> FColecoes;
};

// The event container of the component: the collections, the record of saved files and the
// contributor kind used when events are built from data.
class TEventos {
 public:
  explicit TEventos(TReinfComponente& AOwner);
  TEventos(const TEventos&) = delete;  // the collections point back to it
  TEventos& operator=(const TEventos&) = delete;

  // Loads every "</Reinf>"-terminated document of the text (blanks around the documents
  // dropped), saving all events after each one; the result of the last document's load, false when
  // the text holds none. A failure of a document propagates: the rest of the text is not loaded and
  // nothing is saved.
  bool LoadFromString(const std::string& AXMLString);
  // ReinfEventos.LoadFromIni, then SaveToFiles.
  bool LoadFromStringINI(const std::string& AINIString);
  // The file's text (UTF-8, or Windows-1252 when it is not valid UTF-8), loaded as XML
  // documents or as INI text.
  bool LoadFromFile(const std::string& CaminhoArquivo, bool ArqXML = true);
  // LoadFromFile(AIniString, false): the argument is a file path.
  bool LoadFromIni(const std::string& AIniString);
  // The whole stream from its start, as LoadFromString.
  bool LoadFromStream(std::istream& AStream);
  // Copies Geral.TipoContribuinte, then builds every event from its data.
  void GerarXMLs();
  // Clears Gerados, then saves every event.
  void SaveToFiles();
  // Clears the thirteen collections and Gerados.
  void Clear();
  std::size_t Count() const { return FReinfEventos.Count(); }

  TReinfEventos& ReinfEventos() { return FReinfEventos; }
  const TReinfEventos& ReinfEventos() const { return FReinfEventos; }
  TGeradosCollection& Gerados() { return FGerados; }
  const TGeradosCollection& Gerados() const { return FGerados; }
  TContribuinte TipoContribuinte() const { return FTipoContribuinte; }
  void SetTipoContribuinte(TContribuinte value) { FTipoContribuinte = value; }

 private:
  TReinfComponente* FOwner;
  TGeradosCollection FGerados;
  TReinfEventos FReinfEventos;
  TContribuinte FTipoContribuinte = TContribuinte::tcPessoaJuridica;
};

}  // namespace luvaro::reinf
