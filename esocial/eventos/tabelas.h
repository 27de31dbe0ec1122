#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"
#include "esocial/modelos/gerados/evt_tab_ambiente.h"
#include "esocial/modelos/gerados/evt_tab_cargo.h"
#include "esocial/modelos/gerados/evt_tab_carreira.h"
#include "esocial/modelos/gerados/evt_tab_funcao.h"
#include "esocial/modelos/gerados/evt_tab_hor_tur.h"
#include "esocial/modelos/gerados/evt_tab_lotacao.h"
#include "esocial/modelos/gerados/evt_tab_oper_port.h"
#include "esocial/modelos/gerados/evt_tab_processo.h"
#include "esocial/modelos/gerados/evt_tab_rubrica.h"

namespace luvaro {

// The event classes of the table events, each with its collection item and
// collection. The event classes (data model, builder, INI reader) are generated from the published
// layouts into esocial/modelos/gerados/.

// S-1010
class TS1010CollectionItem final : public TItemEvento<TEvtTabRubrica> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabRubrica& EvtTabRubrica() const { return Evento(); }
};
using TS1010Collection = TColecaoEventos<TS1010CollectionItem>;

// S-1020
class TS1020CollectionItem final : public TItemEvento<TevtTabLotacao> {
 public:
  using TItemEvento::TItemEvento;
  TevtTabLotacao& EvtTabLotacao() const { return Evento(); }
};
using TS1020Collection = TColecaoEventos<TS1020CollectionItem>;

// S-1030
class TS1030CollectionItem final : public TItemEvento<TEvtTabCargo> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabCargo& EvtTabCargo() const { return Evento(); }
};
using TS1030Collection = TColecaoEventos<TS1030CollectionItem>;

// S-1035
class TS1035CollectionItem final : public TItemEvento<TEvtTabCarreira> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabCarreira& evtTabCarreira() const { return Evento(); }
};
using TS1035Collection = TColecaoEventos<TS1035CollectionItem>;

// S-1040
class TS1040CollectionItem final : public TItemEvento<TEvtTabFuncao> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabFuncao& EvtTabFuncao() const { return Evento(); }
};
using TS1040Collection = TColecaoEventos<TS1040CollectionItem>;

// S-1050
class TS1050CollectionItem final : public TItemEvento<TEvtTabHorTur> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabHorTur& EvtTabHorContratual() const { return Evento(); }
};
using TS1050Collection = TColecaoEventos<TS1050CollectionItem>;

// S-1060
class TS1060CollectionItem final : public TItemEvento<TEvtTabAmbiente> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabAmbiente& EvtTabAmbiente() const { return Evento(); }
};
using TS1060Collection = TColecaoEventos<TS1060CollectionItem>;

// S-1070
class TS1070CollectionItem final : public TItemEvento<TEvtTabProcesso> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabProcesso& EvtTabProcesso() const { return Evento(); }
};
using TS1070Collection = TColecaoEventos<TS1070CollectionItem>;

// S-1080
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
