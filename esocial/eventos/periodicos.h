#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"
#include "esocial/modelos/gerados/evt_aq_prod.h"
#include "esocial/modelos/gerados/evt_ben_pr_rp.h"
#include "esocial/modelos/gerados/evt_com_prod.h"
#include "esocial/modelos/gerados/evt_contr_sind_patr.h"
#include "esocial/modelos/gerados/evt_contrat_av_np.h"
#include "esocial/modelos/gerados/evt_fecha_ev_per.h"
#include "esocial/modelos/gerados/evt_info_compl_per.h"
#include "esocial/modelos/gerados/evt_pgtos.h"
#include "esocial/modelos/gerados/evt_reabre_ev_per.h"
#include "esocial/modelos/gerados/evt_remun.h"
#include "esocial/modelos/gerados/evt_rmn_rpps.h"
#include "esocial/modelos/gerados/evt_tot_conting.h"

namespace luvaro {

// The event classes of the periodic events, each with its collection item and
// collection. The event classes (data model, builder, INI reader) are generated from the published
// layouts into esocial/modelos/gerados/.

// S-1200
class TS1200CollectionItem final : public TItemEvento<TEvtRemun> {
 public:
  using TItemEvento::TItemEvento;
  TEvtRemun& evtRemun() const { return Evento(); }
};
using TS1200Collection = TColecaoEventos<TS1200CollectionItem>;

// S-1202
class TS1202CollectionItem final : public TItemEvento<TEvtRemunRPPS> {
 public:
  using TItemEvento::TItemEvento;
  TEvtRemunRPPS& evtRmnRPPS() const { return Evento(); }
};
using TS1202Collection = TColecaoEventos<TS1202CollectionItem>;

// S-1207
class TS1207CollectionItem final : public TItemEvento<TEvtBenPrRP> {
 public:
  using TItemEvento::TItemEvento;
  TEvtBenPrRP& evtBenPrRP() const { return Evento(); }
};
using TS1207Collection = TColecaoEventos<TS1207CollectionItem>;

// S-1210
class TS1210CollectionItem final : public TItemEvento<TEvtPgtos> {
 public:
  using TItemEvento::TItemEvento;
  TEvtPgtos& evtPgtos() const { return Evento(); }
};
using TS1210Collection = TColecaoEventos<TS1210CollectionItem>;

// S-1250
class TS1250CollectionItem final : public TItemEvento<TEvtAqProd> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAqProd& EvtAqProd() const { return Evento(); }
};
using TS1250Collection = TColecaoEventos<TS1250CollectionItem>;

// S-1260
class TS1260CollectionItem final : public TItemEvento<TEvtComProd> {
 public:
  using TItemEvento::TItemEvento;
  TEvtComProd& EvtComProd() const { return Evento(); }
};
using TS1260Collection = TColecaoEventos<TS1260CollectionItem>;

// S-1270
class TS1270CollectionItem final : public TItemEvento<TEvtContratAvNP> {
 public:
  using TItemEvento::TItemEvento;
  TEvtContratAvNP& EvtContratAvNP() const { return Evento(); }
};
using TS1270Collection = TColecaoEventos<TS1270CollectionItem>;

// S-1280
class TS1280CollectionItem final : public TItemEvento<TEvtInfoComplPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtInfoComplPer& EvtInfoComplPer() const { return Evento(); }
};
using TS1280Collection = TColecaoEventos<TS1280CollectionItem>;

// S-1295
class TS1295CollectionItem final : public TItemEvento<TEvtTotConting> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTotConting& evtTotConting() const { return Evento(); }
};
using TS1295Collection = TColecaoEventos<TS1295CollectionItem>;

// S-1298
class TS1298CollectionItem final : public TItemEvento<TEvtReabreEvPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtReabreEvPer& EvtReabreEvPer() const { return Evento(); }
};
using TS1298Collection = TColecaoEventos<TS1298CollectionItem>;

// S-1299
class TS1299CollectionItem final : public TItemEvento<TEvtFechaEvPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtFechaEvPer& EvtFechaEvPer() const { return Evento(); }
};
using TS1299Collection = TColecaoEventos<TS1299CollectionItem>;

// S-1300
class TS1300CollectionItem final : public TItemEvento<TEvtContrSindPatr> {
 public:
  using TItemEvento::TItemEvento;
  TEvtContrSindPatr& EvtContrSindPatr() const { return Evento(); }
};
using TS1300Collection = TColecaoEventos<TS1300CollectionItem>;

class TPeriodicos final : public TeSocialGrupo {
 public:
  explicit TPeriodicos(TEventos& AOwner);

  TS1200Collection& S1200() { return FS1200; }
  TS1202Collection& S1202() { return FS1202; }
  TS1207Collection& S1207() { return FS1207; }
  TS1210Collection& S1210() { return FS1210; }
  TS1250Collection& S1250() { return FS1250; }
  TS1260Collection& S1260() { return FS1260; }
  TS1270Collection& S1270() { return FS1270; }
  TS1280Collection& S1280() { return FS1280; }
  TS1295Collection& S1295() { return FS1295; }
  TS1298Collection& S1298() { return FS1298; }
  TS1299Collection& S1299() { return FS1299; }
  TS1300Collection& S1300() { return FS1300; }

 private:
  TS1200Collection FS1200;
  TS1202Collection FS1202;
  TS1207Collection FS1207;
  TS1210Collection FS1210;
  TS1250Collection FS1250;
  TS1260Collection FS1260;
  TS1270Collection FS1270;
  TS1280Collection FS1280;
  TS1295Collection FS1295;
  TS1298Collection FS1298;
  TS1299Collection FS1299;
  TS1300Collection FS1300;
};

}  // namespace luvaro
