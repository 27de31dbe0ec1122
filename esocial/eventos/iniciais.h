#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"
#include "esocial/modelos/gerados/evt_tab_estab.h"
#include "esocial/modelos/evt_info_empregador.h"

namespace luvaro {

// The event classes of the initial events: the employer and its establishments, each with its
// collection item and collection. The classes carry the base behaviour; each takes its data model,
// builder and INI reader without the container changing.

// S-1000 (its data model, builder and INI reader in esocial/modelos/)
class TS1000CollectionItem final : public TItemEvento<TevtInfoEmpregador> {
 public:
  using TItemEvento::TItemEvento;
  TevtInfoEmpregador& evtInfoEmpregador() const { return Evento(); }
};
using TS1000Collection = TColecaoEventos<TS1000CollectionItem>;

// S-1005
class TS1005CollectionItem final : public TItemEvento<TEvtTabEstab> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTabEstab& evtTabEstab() const { return Evento(); }
};
using TS1005Collection = TColecaoEventos<TS1005CollectionItem>;

class TIniciais final : public TeSocialGrupo {
 public:
  explicit TIniciais(TEventos& AOwner);

  TS1000Collection& S1000() { return FS1000; }
  TS1005Collection& S1005() { return FS1005; }

 private:
  TS1000Collection FS1000;
  TS1005Collection FS1005;
};

}  // namespace luvaro
