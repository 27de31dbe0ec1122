#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "dfe/dfe_exception.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

class TeSocialEvento;

// An owning list that keeps the component and hands it to every object it creates.
class TeSocialCollection {
 public:
  explicit TeSocialCollection(TeSocialComponente& AOwner) : FPOwner(&AOwner) {}
  virtual ~TeSocialCollection() = default;
  TeSocialCollection(const TeSocialCollection&) = delete;  // owns what it created
  TeSocialCollection& operator=(const TeSocialCollection&) = delete;

  TeSocialComponente& Owner() const { return *FPOwner; }

 protected:
  TeSocialComponente* FPOwner;  // borrowed
};

// What a group of the container needs of the collection of one event type.
class TeSocialColecaoEventos : public TeSocialCollection {
 public:
  using TeSocialCollection::TeSocialCollection;

  virtual TTipoEvento TipoEvento() const = 0;
  virtual int Count() const = 0;
  virtual void Clear() = 0;
  // The event of the item at Index (from 0).
  virtual TeSocialEvento& Evento(int Index) = 0;
  // Appends a new item and returns its event.
  virtual TeSocialEvento& NovoEvento() = 0;
  // Removes the last item with its event (nothing when the collection is empty).
  virtual void ExcluirUltimo() = 0;
};

// One item of a type's collection: its type and the event object. Each type's item class
// derives from it and names the event under the type's own property.
template <class TEvento>
class TItemEvento {
 public:
  explicit TItemEvento(TeSocialComponente& AeSocial)
      : FEvento(std::make_unique<TEvento>(&AeSocial)) {}
  virtual ~TItemEvento() = default;
  TItemEvento(const TItemEvento&) = delete;  // owns its event
  TItemEvento& operator=(const TItemEvento&) = delete;

  static constexpr TTipoEvento TipoDoEvento() { return TEvento::kTipoEvento; }
  TTipoEvento TipoEvento() const { return FTipoEvento; }
  TEvento& Evento() const { return *FEvento; }

 private:
  TTipoEvento FTipoEvento = TEvento::kTipoEvento;
  std::unique_ptr<TEvento> FEvento;
};

// The collection of one event type (S1000, S1005, ...), holding items of class TItem.
template <class TItem>
class TColecaoEventos final : public TeSocialColecaoEventos {
 public:
  using TeSocialColecaoEventos::TeSocialColecaoEventos;

  TItem& Add() {
    FItems.push_back(std::make_unique<TItem>(*FPOwner));
    return *FItems.back();
  }
  TItem& New() { return Add(); }
  TItem& Items(int Index) const {
    if (Index < 0 || Index >= Count()) {
      throw EDFeException("Índice fora da lista: " + std::to_string(Index));
    }
    return *FItems[static_cast<std::size_t>(Index)];
  }

  TTipoEvento TipoEvento() const override { return TItem::TipoDoEvento(); }
  int Count() const override { return static_cast<int>(FItems.size()); }
  void Clear() override { FItems.clear(); }
  TeSocialEvento& Evento(int Index) override { return Items(Index).Evento(); }
  TeSocialEvento& NovoEvento() override { return Add().Evento(); }
  void ExcluirUltimo() override {
    if (!FItems.empty()) FItems.pop_back();
  }

 private:
  std::vector<std::unique_ptr<TItem>> FItems;
};

}  // namespace luvaro
