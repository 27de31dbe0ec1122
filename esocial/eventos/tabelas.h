#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"

namespace luvaro {

// The event classes of the table events, each with its collection item and
// collection. The classes carry the base behaviour; each takes its data model, builder and INI
// reader without the container changing.

// S-1010
class TEvtTabRubrica final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1010;
  explicit TEvtTabRubrica(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabRubrica) {}
  std::string ClassName() const override { return "TEvtTabRubrica"; }
};
class TS1010CollectionItem final : public TItemEvento<TEvtTabRubrica> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabRubrica& EvtTabRubrica() const { return Evento(); }
};
using TS1010Collection = TColecaoEventos<TS1010CollectionItem>;

// S-1020
class TevtTabLotacao final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1020;
  explicit TevtTabLotacao(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabLotacao) {}
  std::string ClassName() const override { return "TevtTabLotacao"; }
};
class TS1020CollectionItem final : public TItemEvento<TevtTabLotacao> {
 public:
  using TItemEvento::TItemEvento;
  TevtTabLotacao& EvtTabLotacao() const { return Evento(); }
};
using TS1020Collection = TColecaoEventos<TS1020CollectionItem>;

// S-1030
class TEvtTabCargo final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1030;
  explicit TEvtTabCargo(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabCargo) {}
  std::string ClassName() const override { return "TEvtTabCargo"; }
};
class TS1030CollectionItem final : public TItemEvento<TEvtTabCargo> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabCargo& EvtTabCargo() const { return Evento(); }
};
using TS1030Collection = TColecaoEventos<TS1030CollectionItem>;

// S-1035
class TEvtTabCarreira final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1035;
  explicit TEvtTabCarreira(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabCarreira) {}
  std::string ClassName() const override { return "TEvtTabCarreira"; }
};
class TS1035CollectionItem final : public TItemEvento<TEvtTabCarreira> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabCarreira& evtTabCarreira() const { return Evento(); }
};
using TS1035Collection = TColecaoEventos<TS1035CollectionItem>;

// S-1040
class TEvtTabFuncao final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1040;
  explicit TEvtTabFuncao(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabFuncao) {}
  std::string ClassName() const override { return "TEvtTabFuncao"; }
};
class TS1040CollectionItem final : public TItemEvento<TEvtTabFuncao> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabFuncao& EvtTabFuncao() const { return Evento(); }
};
using TS1040Collection = TColecaoEventos<TS1040CollectionItem>;

// S-1050
class TEvtTabHorTur final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1050;
  explicit TEvtTabHorTur(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabHorTur) {}
  std::string ClassName() const override { return "TEvtTabHorTur"; }
};
class TS1050CollectionItem final : public TItemEvento<TEvtTabHorTur> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabHorTur& EvtTabHorContratual() const { return Evento(); }
};
using TS1050Collection = TColecaoEventos<TS1050CollectionItem>;

// S-1060
class TEvtTabAmbiente final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1060;
  explicit TEvtTabAmbiente(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabAmbiente) {}
  std::string ClassName() const override { return "TEvtTabAmbiente"; }
};
class TS1060CollectionItem final : public TItemEvento<TEvtTabAmbiente> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabAmbiente& EvtTabAmbiente() const { return Evento(); }
};
using TS1060Collection = TColecaoEventos<TS1060CollectionItem>;

// S-1070
class TEvtTabProcesso final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1070;
  explicit TEvtTabProcesso(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabProcesso) {}
  std::string ClassName() const override { return "TEvtTabProcesso"; }
};
class TS1070CollectionItem final : public TItemEvento<TEvtTabProcesso> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabProcesso& EvtTabProcesso() const { return Evento(); }
};
using TS1070Collection = TColecaoEventos<TS1070CollectionItem>;

// S-1080
class TEvtTabOperPort final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1080;
  explicit TEvtTabOperPort(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTabOperPort) {}
  std::string ClassName() const override { return "TEvtTabOperPort"; }
};
class TS1080CollectionItem final : public TItemEvento<TEvtTabOperPort> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabOperPort& EvtTabOperPortuario() const { return Evento(); }
};
using TS1080Collection = TColecaoEventos<TS1080CollectionItem>;

class TTabelas final : public TeSocialGrupo {
 public:
  explicit TTabelas(TEventos& AOwner);

  TS1010Collection& S1010() { return FS1010; }
  TS1020Collection& S1020() { return FS1020; }
  TS1030Collection& S1030() { return FS1030; }
  TS1035Collection& S1035() { return FS1035; }
  TS1040Collection& S1040() { return FS1040; }
  TS1050Collection& S1050() { return FS1050; }
  TS1060Collection& S1060() { return FS1060; }
  TS1070Collection& S1070() { return FS1070; }
  TS1080Collection& S1080() { return FS1080; }

 private:
  TS1010Collection FS1010;
  TS1020Collection FS1020;
  TS1030Collection FS1030;
  TS1035Collection FS1035;
  TS1040Collection FS1040;
  TS1050Collection FS1050;
  TS1060Collection FS1060;
  TS1070Collection FS1070;
  TS1080Collection FS1080;
};

}  // namespace luvaro
