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

// S-2400 (2.x layouts; the simplified layouts' S-2400 is TEvtCdBenefIn)
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

// S-2231 (simplified layouts only)
class TEvtCessao final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2231;
  explicit TEvtCessao(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCessao) {}
  std::string ClassName() const override { return "TEvtCessao"; }
};
class TS2231CollectionItem final : public TItemEvento<TEvtCessao> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCessao& EvtCessao() const { return Evento(); }
};
using TS2231Collection = TColecaoEventos<TS2231CollectionItem>;

// S-2400 (simplified layouts only)
class TEvtCdBenefIn final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2400Benef;
  explicit TEvtCdBenefIn(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCdBenefIn) {}
  std::string ClassName() const override { return "TEvtCdBenefIn"; }
};
class TS2400BenefCollectionItem final : public TItemEvento<TEvtCdBenefIn> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenefIn& EvtCdBenefIn() const { return Evento(); }
};
using TS2400BenefCollection = TColecaoEventos<TS2400BenefCollectionItem>;

// S-2405 (simplified layouts only)
class TEvtCdBenefAlt final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2405;
  explicit TEvtCdBenefAlt(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCdBenefAlt) {}
  std::string ClassName() const override { return "TEvtCdBenefAlt"; }
};
class TS2405CollectionItem final : public TItemEvento<TEvtCdBenefAlt> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenefAlt& EvtCdBenefAlt() const { return Evento(); }
};
using TS2405Collection = TColecaoEventos<TS2405CollectionItem>;

// S-2410 (simplified layouts only)
class TEvtCdBenIn final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2410;
  explicit TEvtCdBenIn(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCdBenIn) {}
  std::string ClassName() const override { return "TEvtCdBenIn"; }
};
class TS2410CollectionItem final : public TItemEvento<TEvtCdBenIn> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenIn& EvtCdBenIn() const { return Evento(); }
};
using TS2410Collection = TColecaoEventos<TS2410CollectionItem>;

// S-2416 (simplified layouts only)
class TEvtCdBenAlt final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2416;
  explicit TEvtCdBenAlt(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCdBenAlt) {}
  std::string ClassName() const override { return "TEvtCdBenAlt"; }
};
class TS2416CollectionItem final : public TItemEvento<TEvtCdBenAlt> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenAlt& EvtCdBenAlt() const { return Evento(); }
};
using TS2416Collection = TColecaoEventos<TS2416CollectionItem>;

// S-2418 (simplified layouts only)
class TEvtReativBen final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2418;
  explicit TEvtReativBen(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtReativBen) {}
  std::string ClassName() const override { return "TEvtReativBen"; }
};
class TS2418CollectionItem final : public TItemEvento<TEvtReativBen> {
 public:
  using TItemEvento::TItemEvento;
  TEvtReativBen& EvtReativBen() const { return Evento(); }
};
using TS2418Collection = TColecaoEventos<TS2418CollectionItem>;

// S-2420 (simplified layouts only)
class TEvtCdBenTerm final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2420;
  explicit TEvtCdBenTerm(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtCdBenTerm) {}
  std::string ClassName() const override { return "TEvtCdBenTerm"; }
};
class TS2420CollectionItem final : public TItemEvento<TEvtCdBenTerm> {
 public:
  using TItemEvento::TItemEvento;
  TEvtCdBenTerm& EvtCdBenTerm() const { return Evento(); }
};
using TS2420Collection = TColecaoEventos<TS2420CollectionItem>;

// S-2500 (simplified layouts only)
class TEvtProcTrab final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2500;
  explicit TEvtProcTrab(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtProcTrab) {}
  std::string ClassName() const override { return "TEvtProcTrab"; }
};
class TS2500CollectionItem final : public TItemEvento<TEvtProcTrab> {
 public:
  using TItemEvento::TItemEvento;
  TEvtProcTrab& EvtProcTrab() const { return Evento(); }
};
using TS2500Collection = TColecaoEventos<TS2500CollectionItem>;

// S-2501 (simplified layouts only)
class TEvtContProc final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2501;
  explicit TEvtContProc(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtContProc) {}
  std::string ClassName() const override { return "TEvtContProc"; }
};
class TS2501CollectionItem final : public TItemEvento<TEvtContProc> {
 public:
  using TItemEvento::TItemEvento;
  TEvtContProc& EvtContProc() const { return Evento(); }
};
using TS2501Collection = TColecaoEventos<TS2501CollectionItem>;

// S-2555 (simplified layouts only)
class TEvtConsolidContProc final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS2555;
  explicit TEvtConsolidContProc(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtConsolidContProc) {}
  std::string ClassName() const override { return "TEvtConsolidContProc"; }
};
class TS2555CollectionItem final : public TItemEvento<TEvtConsolidContProc> {
 public:
  using TItemEvento::TItemEvento;
  TEvtConsolidContProc& EvtConsolidContProc() const { return Evento(); }
};
using TS2555Collection = TColecaoEventos<TS2555CollectionItem>;

// S-3500 (simplified layouts only)
class TEvtExcProcTrab final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS3500;
  explicit TEvtExcProcTrab(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtExcProcTrab) {}
  std::string ClassName() const override { return "TEvtExcProcTrab"; }
};
class TS3500CollectionItem final : public TItemEvento<TEvtExcProcTrab> {
 public:
  using TItemEvento::TItemEvento;
  TEvtExcProcTrab& EvtExcProcTrab() const { return Evento(); }
};
using TS3500Collection = TColecaoEventos<TS3500CollectionItem>;

// S-8200 (simplified layouts only)
class TEvtAnotJud final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS8200;
  explicit TEvtAnotJud(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtAnotJud) {}
  std::string ClassName() const override { return "TEvtAnotJud"; }
};
class TS8200CollectionItem final : public TItemEvento<TEvtAnotJud> {
 public:
  using TItemEvento::TItemEvento;
  TEvtAnotJud& EvtAnotJud() const { return Evento(); }
};
using TS8200Collection = TColecaoEventos<TS8200CollectionItem>;

// S-8299 (simplified layouts only)
class TEvtBaixa final : public TeSocialEvento {
 public:
  static constexpr TTipoEvento kTipoEvento = TTipoEvento::teS8299;
  explicit TEvtBaixa(TDFeComponente* AeSocial)
      : TeSocialEvento(AeSocial, TeSocialSchema::schevtBaixa) {}
  std::string ClassName() const override { return "TEvtBaixa"; }
};
class TS8299CollectionItem final : public TItemEvento<TEvtBaixa> {
 public:
  using TItemEvento::TItemEvento;
  TEvtBaixa& EvtBaixa() const { return Evento(); }
};
using TS8299Collection = TColecaoEventos<TS8299CollectionItem>;

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
  TS2231Collection& S2231() { return FS2231; }
  TS2400BenefCollection& S2400Benef() { return FS2400Benef; }
  TS2405Collection& S2405() { return FS2405; }
  TS2410Collection& S2410() { return FS2410; }
  TS2416Collection& S2416() { return FS2416; }
  TS2418Collection& S2418() { return FS2418; }
  TS2420Collection& S2420() { return FS2420; }
  TS2500Collection& S2500() { return FS2500; }
  TS2501Collection& S2501() { return FS2501; }
  TS2555Collection& S2555() { return FS2555; }
  TS3500Collection& S3500() { return FS3500; }
  TS8200Collection& S8200() { return FS8200; }
  TS8299Collection& S8299() { return FS8299; }

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
  TS2231Collection FS2231;
  TS2400BenefCollection FS2400Benef;
  TS2405Collection FS2405;
  TS2410Collection FS2410;
  TS2416Collection FS2416;
  TS2418Collection FS2418;
  TS2420Collection FS2420;
  TS2500Collection FS2500;
  TS2501Collection FS2501;
  TS2555Collection FS2555;
  TS3500Collection FS3500;
  TS8200Collection FS8200;
  TS8299Collection FS8299;
};

}  // namespace luvaro
