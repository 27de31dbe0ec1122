#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "dfe/gravacao_incremental.h"
#include "esocial/esocial_collection.h"

namespace luvaro {

class TEventos;

// What the four groups of the container share: their collections in table order, and the
// operations that walk them.
struct TGeradosCollectionItem;

class TeSocialGrupo {
 public:
  explicit TeSocialGrupo(TEventos& AOwner);
  virtual ~TeSocialGrupo();
  TeSocialGrupo(const TeSocialGrupo&) = delete;  // its collections point back to the container
  TeSocialGrupo& operator=(const TeSocialGrupo&) = delete;

  // The sum of the collections' counts.
  int Count() const;
  void Clear();
  // Asks every event to build its document from its data.
  void GerarXMLs();
  // Writes every event to <folder><Id digits>-<code>-<index>.xml and records it in Gerados.
  // A file that already holds the event's document is not written again; its entry is taken
  // from `anteriores` (the previous save's list) when found there.
  void SaveToFiles(GeradosAnteriores<TGeradosCollectionItem>* anteriores = nullptr);
  // Loads a document whose detected type belongs to this group: a new item is added first,
  // then the document is assigned (signed, identified, validated), so an event whose
  // assignment fails stays with the text it reached and the failure goes to the caller.
  // Returns whether the group holds at least one event afterwards.
  bool LoadFromString(const std::string& AXMLString);
  // The same for INI text: the new event reads its fields from the text.
  bool LoadFromIni(const std::string& AIniString);

  // The collections in table order (the lot's order within the group).
  const std::vector<TeSocialColecaoEventos*>& Colecoes() const { return FColecoes; }
  TEventos& Owner() const { return *FPOwner; }

 protected:
  TeSocialComponente& Componente() const;
  // Called once by each group's constructor with its collections in table order.
  void Registrar(std::initializer_list<TeSocialColecaoEventos*> colecoes);

 private:
  TeSocialColecaoEventos* ColecaoDoTipo(TTipoEvento tipo) const;

  TEventos* FPOwner;                               // borrowed: the container owns this group
  std::vector<TeSocialColecaoEventos*> FColecoes;  // members of the derived group
};

}  // namespace luvaro
