#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"
#include "esocial/modelos/gerados/evt_adm_prelim.h"
#include "esocial/modelos/gerados/evt_admissao.h"
#include "esocial/modelos/gerados/evt_afast_temp.h"
#include "esocial/modelos/gerados/evt_alt_cadastral.h"
#include "esocial/modelos/gerados/evt_alt_contratual.h"
#include "esocial/modelos/gerados/evt_av_previo.h"
#include "esocial/modelos/gerados/evt_cat.h"
#include "esocial/modelos/gerados/evt_cd_ben_pr_rp.h"
#include "esocial/modelos/gerados/evt_conv_interm.h"
#include "esocial/modelos/gerados/evt_deslig.h"
#include "esocial/modelos/gerados/evt_exclusao.h"
#include "esocial/modelos/gerados/evt_exp_risco.h"
#include "esocial/modelos/gerados/evt_monit.h"
#include "esocial/modelos/gerados/evt_reintegr.h"
#include "esocial/modelos/gerados/evt_toxic.h"
#include "esocial/modelos/gerados/evt_trei_cap.h"
#include "esocial/modelos/gerados/evt_tsvalt_contr.h"
#include "esocial/modelos/gerados/evt_tsvinicio.h"
#include "esocial/modelos/gerados/evt_tsvtermino.h"

namespace luvaro {

// The event classes of the non-periodic events, each with its collection item and
// collection. The event classes (data model, builder, INI reader) are generated from the published
// layouts into esocial/modelos/gerados/.

// S-2190
class TS2190CollectionItem final : public TItemEvento<TEvtAdmPrelim> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAdmPrelim& EvtAdmPrelim() const { return Evento(); }
};
using TS2190Collection = TColecaoEventos<TS2190CollectionItem>;

// S-2200
class TS2200CollectionItem final : public TItemEvento<TEvtAdmissao> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAdmissao& EvtAdmissao() const { return Evento(); }
};
using TS2200Collection = TColecaoEventos<TS2200CollectionItem>;

// S-2205
class TS2205CollectionItem final : public TItemEvento<TEvtAltCadastral> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAltCadastral& EvtAltCadastral() const { return Evento(); }
};
using TS2205Collection = TColecaoEventos<TS2205CollectionItem>;

// S-2206
class TS2206CollectionItem final : public TItemEvento<TEvtAltContratual> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAltContratual& EvtAltContratual() const { return Evento(); }
};
using TS2206Collection = TColecaoEventos<TS2206CollectionItem>;

// S-2210
class TS2210CollectionItem final : public TItemEvento<TEvtCAT> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCAT& EvtCAT() const { return Evento(); }
};
using TS2210Collection = TColecaoEventos<TS2210CollectionItem>;

// S-2220
class TS2220CollectionItem final : public TItemEvento<TevtMonit> {
 public:
  using TItemEvento::TItemEvento;
  TevtMonit& evtMonit() const { return Evento(); }
};
using TS2220Collection = TColecaoEventos<TS2220CollectionItem>;

// S-2221
class TS2221CollectionItem final : public TItemEvento<TEvtToxic> {
 public:
  using TItemEvento::TItemEvento;
  TEvtToxic& EvtToxic() const { return Evento(); }
};
using TS2221Collection = TColecaoEventos<TS2221CollectionItem>;

// S-2230
class TS2230CollectionItem final : public TItemEvento<TEvtAfastTemp> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAfastTemp& EvtAfastTemp() const { return Evento(); }
};
using TS2230Collection = TColecaoEventos<TS2230CollectionItem>;

// S-2240
class TS2240CollectionItem final : public TItemEvento<TEvtExpRisco> {
 public:
  using TItemEvento::TItemEvento;
  TEvtExpRisco& EvtExpRisco() const { return Evento(); }
};
using TS2240Collection = TColecaoEventos<TS2240CollectionItem>;

// S-2245
class TS2245CollectionItem final : public TItemEvento<TEvtTreiCap> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTreiCap& EvtTreiCap() const { return Evento(); }
};
using TS2245Collection = TColecaoEventos<TS2245CollectionItem>;

// S-2250
class TS2250CollectionItem final : public TItemEvento<TEvtAvPrevio> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAvPrevio& EvtAvPrevio() const { return Evento(); }
};
using TS2250Collection = TColecaoEventos<TS2250CollectionItem>;

// S-2260
class TS2260CollectionItem final : public TItemEvento<TEvtConvInterm> {
 public:
  using TItemEvento::TItemEvento;
  TEvtConvInterm& EvtConvInterm() const { return Evento(); }
};
using TS2260Collection = TColecaoEventos<TS2260CollectionItem>;

// S-2298
class TS2298CollectionItem final : public TItemEvento<TEvtReintegr> {
 public:
  using TItemEvento::TItemEvento;
  TEvtReintegr& EvtReintegr() const { return Evento(); }
};
using TS2298Collection = TColecaoEventos<TS2298CollectionItem>;

// S-2299
class TS2299CollectionItem final : public TItemEvento<TEvtDeslig> {
 public:
  using TItemEvento::TItemEvento;
  TEvtDeslig& EvtDeslig() const { return Evento(); }
};
using TS2299Collection = TColecaoEventos<TS2299CollectionItem>;

// S-2300
class TS2300CollectionItem final : public TItemEvento<TEvtTSVInicio> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTSVInicio& EvtTSVInicio() const { return Evento(); }
};
using TS2300Collection = TColecaoEventos<TS2300CollectionItem>;

// S-2306
class TS2306CollectionItem final : public TItemEvento<TEvtTSVAltContr> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTSVAltContr& EvtTSVAltContr() const { return Evento(); }
};
using TS2306Collection = TColecaoEventos<TS2306CollectionItem>;

// S-2399
class TS2399CollectionItem final : public TItemEvento<TEvtTSVTermino> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTSVTermino& EvtTSVTermino() const { return Evento(); }
};
using TS2399Collection = TColecaoEventos<TS2399CollectionItem>;

// S-2400
class TS2400CollectionItem final : public TItemEvento<TEvtCdBenPrRP> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenPrRP& evtCdBenPrRP() const { return Evento(); }
};
using TS2400Collection = TColecaoEventos<TS2400CollectionItem>;

// S-3000
class TS3000CollectionItem final : public TItemEvento<TEvtExclusao> {
 public:
  using TItemEvento::TItemEvento;
  TEvtExclusao& EvtExclusao() const { return Evento(); }
};
using TS3000Collection = TColecaoEventos<TS3000CollectionItem>;

class TNaoPeriodicos final : public TeSocialGrupo {
 public:
  explicit TNaoPeriodicos(TEventos& AOwner);

  TS2190Collection& S2190() { return FS2190; }
  TS2200Collection& S2200() { return FS2200; }
  TS2205Collection& S2205() { return FS2205; }
  TS2206Collection& S2206() { return FS2206; }
  TS2210Collection& S2210() { return FS2210; }
  TS2220Collection& S2220() { return FS2220; }
  TS2221Collection& S2221() { return FS2221; }
  TS2230Collection& S2230() { return FS2230; }
  TS2240Collection& S2240() { return FS2240; }
  TS2245Collection& S2245() { return FS2245; }
  TS2250Collection& S2250() { return FS2250; }
  TS2260Collection& S2260() { return FS2260; }
  TS2298Collection& S2298() { return FS2298; }
  TS2299Collection& S2299() { return FS2299; }
  TS2300Collection& S2300() { return FS2300; }
  TS2306Collection& S2306() { return FS2306; }
  TS2399Collection& S2399() { return FS2399; }
  TS2400Collection& S2400() { return FS2400; }
  TS3000Collection& S3000() { return FS3000; }

 private:
  TS2190Collection FS2190;
  TS2200Collection FS2200;
  TS2205Collection FS2205;
  TS2206Collection FS2206;
  TS2210Collection FS2210;
  TS2220Collection FS2220;
  TS2221Collection FS2221;
  TS2230Collection FS2230;
  TS2240Collection FS2240;
  TS2245Collection FS2245;
  TS2250Collection FS2250;
  TS2260Collection FS2260;
  TS2298Collection FS2298;
  TS2299Collection FS2299;
  TS2300Collection FS2300;
  TS2306Collection FS2306;
  TS2399Collection FS2399;
  TS2400Collection FS2400;
  TS3000Collection FS3000;
};

}  // namespace luvaro
