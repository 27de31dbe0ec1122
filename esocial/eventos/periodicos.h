#pragma once

#include <string>

#include "esocial/esocial_collection.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos/esocial_grupo.h"

namespace luvaro {

// The event classes of the periodic events, each with its collection item and
// collection. The classes carry the base behaviour; each takes its data model, builder and INI
// reader without the container changing.

// S-1200
class TEvtRemun final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1200;
  explicit TEvtRemun(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtRemun) {}
  std::string ClassName() const override { return "TEvtRemun"; }
};
class TS1200CollectionItem final : public TItemEvento<TEvtRemun> {
 public:
  using TItemEvento::TItemEvento;
  TEvtRemun& evtRemun() const { return Evento(); }
};
using TS1200Collection = TColecaoEventos<TS1200CollectionItem>;

// S-1202
class TEvtRemunRPPS final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1202;
  explicit TEvtRemunRPPS(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtRmnRPPS) {}
  std::string ClassName() const override { return "TEvtRemunRPPS"; }
};
class TS1202CollectionItem final : public TItemEvento<TEvtRemunRPPS> {
 public:
  using TItemEvento::TItemEvento;
  TEvtRemunRPPS& evtRmnRPPS() const { return Evento(); }
};
using TS1202Collection = TColecaoEventos<TS1202CollectionItem>;

// S-1207
class TEvtBenPrRP final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1207;
  explicit TEvtBenPrRP(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtBenPrRP) {}
  std::string ClassName() const override { return "TEvtBenPrRP"; }
};
class TS1207CollectionItem final : public TItemEvento<TEvtBenPrRP> {
 public:
  using TItemEvento::TItemEvento;
  TEvtBenPrRP& evtBenPrRP() const { return Evento(); }
};
using TS1207Collection = TColecaoEventos<TS1207CollectionItem>;

// S-1210
class TEvtPgtos final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1210;
  explicit TEvtPgtos(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtPgtos) {}
  std::string ClassName() const override { return "TEvtPgtos"; }
};
class TS1210CollectionItem final : public TItemEvento<TEvtPgtos> {
 public:
  using TItemEvento::TItemEvento;
  TEvtPgtos& evtPgtos() const { return Evento(); }
};
using TS1210Collection = TColecaoEventos<TS1210CollectionItem>;

// S-1250
class TEvtAqProd final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1250;
  explicit TEvtAqProd(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtAqProd) {}
  std::string ClassName() const override { return "TEvtAqProd"; }
};
class TS1250CollectionItem final : public TItemEvento<TEvtAqProd> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAqProd& EvtAqProd() const { return Evento(); }
};
using TS1250Collection = TColecaoEventos<TS1250CollectionItem>;

// S-1260
class TEvtComProd final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1260;
  explicit TEvtComProd(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtComProd) {}
  std::string ClassName() const override { return "TEvtComProd"; }
};
class TS1260CollectionItem final : public TItemEvento<TEvtComProd> {
 public:
  using TItemEvento::TItemEvento;
  TEvtComProd& EvtComProd() const { return Evento(); }
};
using TS1260Collection = TColecaoEventos<TS1260CollectionItem>;

// S-1270
class TEvtContratAvNP final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1270;
  explicit TEvtContratAvNP(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtContratAvNP) {}
  std::string ClassName() const override { return "TEvtContratAvNP"; }
};
class TS1270CollectionItem final : public TItemEvento<TEvtContratAvNP> {
 public:
  using TItemEvento::TItemEvento;
  TEvtContratAvNP& EvtContratAvNP() const { return Evento(); }
};
using TS1270Collection = TColecaoEventos<TS1270CollectionItem>;

// S-1280
class TEvtInfoComplPer final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1280;
  explicit TEvtInfoComplPer(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtInfoComplPer) {}
  std::string ClassName() const override { return "TEvtInfoComplPer"; }
};
class TS1280CollectionItem final : public TItemEvento<TEvtInfoComplPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtInfoComplPer& EvtInfoComplPer() const { return Evento(); }
};
using TS1280Collection = TColecaoEventos<TS1280CollectionItem>;

// S-1295
class TEvtTotConting final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1295;
  explicit TEvtTotConting(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtTotConting) {}
  std::string ClassName() const override { return "TEvtTotConting"; }
};
class TS1295CollectionItem final : public TItemEvento<TEvtTotConting> {
 public:
  using TItemEvento::TItemEvento;
  TEvtTotConting& evtTotConting() const { return Evento(); }
};
using TS1295Collection = TColecaoEventos<TS1295CollectionItem>;

// S-1298
class TEvtReabreEvPer final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1298;
  explicit TEvtReabreEvPer(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtReabreEvper) {}
  std::string ClassName() const override { return "TEvtReabreEvPer"; }
};
class TS1298CollectionItem final : public TItemEvento<TEvtReabreEvPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtReabreEvPer& EvtReabreEvPer() const { return Evento(); }
};
using TS1298Collection = TColecaoEventos<TS1298CollectionItem>;

// S-1299
class TEvtFechaEvPer final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1299;
  explicit TEvtFechaEvPer(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtFechaEvPer) {}
  std::string ClassName() const override { return "TEvtFechaEvPer"; }
};
class TS1299CollectionItem final : public TItemEvento<TEvtFechaEvPer> {
 public:
  using TItemEvento::TItemEvento;
  TEvtFechaEvPer& EvtFechaEvPer() const { return Evento(); }
};
using TS1299Collection = TColecaoEventos<TS1299CollectionItem>;

// S-1300
class TEvtContrSindPatr final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS1300;
  explicit TEvtContrSindPatr(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtContrSindPatr) {}
  std::string ClassName() const override { return "TEvtContrSindPatr"; }
};
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
