#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "reinf/reinf_conversao.h"
#include "reinf/reinf_modelos.h"

namespace luvaro::reinf {

class TReinfComponente;

// One collection of TReinfEventos as the walks over all events see it.
class TReinfColecao {
 public:
  virtual ~TReinfColecao() = default;
  virtual TTipoEvento TipoEvento() const = 0;
  virtual std::size_t Count() const = 0;
  // The event of the item at Index (std::out_of_range past the end).
  virtual TReinfEvento& Evento(std::size_t Index) = 0;
  // Adds an item and returns its event.
  virtual TReinfEvento& NovoEvento() = 0;
  // Removes the last item with its event (nothing when the collection is empty).
  virtual void ExcluirUltimo() = 0;
  virtual void Clear() = 0;
};

// An item of an event collection: the type, set when the item is created, and the event
// object, created and freed with the item.
template <class TEvento, TTipoEvento Tipo>
class TReinfCollectionItem {
 public:
  static constexpr TTipoEvento kTipo = Tipo;
  using Evento_t = TEvento;

  explicit TReinfCollectionItem(TReinfComponente& AReinf) : FEvento(AReinf) {}
  TReinfCollectionItem(const TReinfCollectionItem&) = delete;  // the event is bound to it
  TReinfCollectionItem& operator=(const TReinfCollectionItem&) = delete;

  TTipoEvento TipoEvento() const { return Tipo; }
  TEvento& Evento() { return FEvento; }
  const TEvento& Evento() const { return FEvento; }

 private:
  TEvento FEvento;
};

// The collection of one event type. Items keep their address while the collection grows.
template <class TItem>
class TReinfCollection final : public TReinfColecao {
 public:
  explicit TReinfCollection(TReinfComponente& AReinf) : FReinf(&AReinf) {}

  TItem& Add() {
    FItems.push_back(std::make_unique<TItem>(*FReinf));
    return *FItems.back();
  }
  TItem& Items(std::size_t Index) { return *FItems.at(Index); }
  const TItem& Items(std::size_t Index) const { return *FItems.at(Index); }

  TTipoEvento TipoEvento() const override { return TItem::kTipo; }
  std::size_t Count() const override { return FItems.size(); }
  TReinfEvento& Evento(std::size_t Index) override { return Items(Index).Evento(); }
  TReinfEvento& NovoEvento() override { return Add().Evento(); }
  void ExcluirUltimo() override {
    if (!FItems.empty()) FItems.pop_back();
  }
  void Clear() override { FItems.clear(); }

 private:
  TReinfComponente* FReinf;
  std::vector<std::unique_ptr<TItem>> FItems;
};

// The items of the thirteen types, each naming its event as the type's element does.
class TR1000CollectionItem : public TReinfCollectionItem<TevtInfoContri, TTipoEvento::teR1000> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtInfoContri& evtInfoContri() { return Evento(); }
};
class TR1070CollectionItem : public TReinfCollectionItem<TevtTabProcesso, TTipoEvento::teR1070> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtTabProcesso& evtTabProcesso() { return Evento(); }
};
class TR2010CollectionItem : public TReinfCollectionItem<TevtServTom, TTipoEvento::teR2010> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtServTom& evtServTom() { return Evento(); }
};
class TR2020CollectionItem : public TReinfCollectionItem<TevtServPrest, TTipoEvento::teR2020> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtServPrest& evtServPrest() { return Evento(); }
};
class TR2030CollectionItem : public TReinfCollectionItem<TevtAssocDespRec, TTipoEvento::teR2030> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtAssocDespRec& evtAssocDespRec() { return Evento(); }
};
class TR2040CollectionItem : public TReinfCollectionItem<TevtAssocDespRep, TTipoEvento::teR2040> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtAssocDespRep& evtAssocDespRep() { return Evento(); }
};
class TR2050CollectionItem : public TReinfCollectionItem<TevtComProd, TTipoEvento::teR2050> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtComProd& evtComProd() { return Evento(); }
};
class TR2060CollectionItem : public TReinfCollectionItem<TevtCPRB, TTipoEvento::teR2060> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtCPRB& evtCPRB() { return Evento(); }
};
class TR2070CollectionItem : public TReinfCollectionItem<TevtPgtosDivs, TTipoEvento::teR2070> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtPgtosDivs& evtPgtosDivs() { return Evento(); }
};
class TR2098CollectionItem : public TReinfCollectionItem<TevtReabreEvPer, TTipoEvento::teR2098> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtReabreEvPer& evtReabreEvPer() { return Evento(); }
};
class TR2099CollectionItem : public TReinfCollectionItem<TevtFechaEvPer, TTipoEvento::teR2099> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtFechaEvPer& evtFechaEvPer() { return Evento(); }
};
class TR3010CollectionItem : public TReinfCollectionItem<TevtEspDesportivo, TTipoEvento::teR3010> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtEspDesportivo& evtEspDesportivo() { return Evento(); }
};
class TR9000CollectionItem : public TReinfCollectionItem<TevtExclusao, TTipoEvento::teR9000> {
 public:
  using TReinfCollectionItem::TReinfCollectionItem;
  TevtExclusao& evtExclusao() { return Evento(); }
};

using TR1000Collection = TReinfCollection<TR1000CollectionItem>;
using TR1070Collection = TReinfCollection<TR1070CollectionItem>;
using TR2010Collection = TReinfCollection<TR2010CollectionItem>;
using TR2020Collection = TReinfCollection<TR2020CollectionItem>;
using TR2030Collection = TReinfCollection<TR2030CollectionItem>;
using TR2040Collection = TReinfCollection<TR2040CollectionItem>;
using TR2050Collection = TReinfCollection<TR2050CollectionItem>;
using TR2060Collection = TReinfCollection<TR2060CollectionItem>;
using TR2070Collection = TReinfCollection<TR2070CollectionItem>;
using TR2098Collection = TReinfCollection<TR2098CollectionItem>;
using TR2099Collection = TReinfCollection<TR2099CollectionItem>;
using TR3010Collection = TReinfCollection<TR3010CollectionItem>;
using TR9000Collection = TReinfCollection<TR9000CollectionItem>;

}  // namespace luvaro::reinf
