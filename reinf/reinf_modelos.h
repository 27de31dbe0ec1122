#pragma once

// The thirteen EFD-Reinf event classes: each holds its type's data, builds, signs and validates
// its document (GerarXML) and fills its data from INI text (LerArqIni). Loaded documents use
// only what the base class TReinfEvento has.

#include "reinf/modelos/evt_info_contri.h"
#include "reinf/modelos/evt_pgtos_divs.h"
#include "reinf/modelos/evt_serv_tom.h"
#include "reinf/modelos/gerados/evt_assoc_desp_rec.h"
#include "reinf/modelos/gerados/evt_assoc_desp_rep.h"
#include "reinf/modelos/gerados/evt_com_prod.h"
#include "reinf/modelos/gerados/evt_cprb.h"
#include "reinf/modelos/gerados/evt_esp_desportivo.h"
#include "reinf/modelos/gerados/evt_exclusao.h"
#include "reinf/modelos/gerados/evt_fecha_ev_per.h"
#include "reinf/modelos/gerados/evt_reabre_ev_per.h"
#include "reinf/modelos/gerados/evt_serv_prest.h"
#include "reinf/modelos/gerados/evt_tab_processo.h"
