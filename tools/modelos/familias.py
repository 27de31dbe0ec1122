"""The event families the generator serves: for each, the layout versions it merges, where its
schemas are, where its C++ goes, and its events (code, element, class, schema file base name).

A family is plain data, so a further layout (the EFD-Reinf events, the eSocial S-1.x layouts)
is a further entry here, not a change of the generator.
"""

ESOCIAL = {
    "nome": "esocial",
    "pasta_schemas": "esocial",
    "versoes": ["02_04_01", "02_04_02", "02_05_00"],
    "enum_versao": "TVersaoeSocial",
    "base": "TeSocialEventoModelo",
    "cabecalho_base": "esocial/modelos/evento_modelo.h",
    "saida": "esocial/modelos/gerados",
    # The commented INI text of every event per version (the employer event's included): the
    # templates that luvaro-eventos --modelo prints, and the fixtures of the all-events test.
    "fixtures": "esocial/modelos/ini",
    "tipo_evento": "TTipoEvento",
    "schema_enum": "TeSocialSchema",
    # The employer event's class is written by hand (rules no schema tells), so only its INI
    # text comes from its layout: (code, element, schema file base name, how its reader differs:
    # groups whose keys it takes in the enclosing group's section, fields it does not read).
    "so_ini": [
        ("S-1000", "evtInfoEmpregador", "evtInfoEmpregador",
         {"achatados": ("situacaoPJ", "situacaoPF"), "ignorados": ("indPorte",)}),
    ],
    # The other events come from here.
    "eventos": [
        ("S-1005", "evtTabEstab", "TEvtTabEstab", "evtTabEstab"),
        ("S-1010", "evtTabRubrica", "TEvtTabRubrica", "evtTabRubrica"),
        ("S-1020", "evtTabLotacao", "TevtTabLotacao", "evtTabLotacao"),
        ("S-1030", "evtTabCargo", "TEvtTabCargo", "evtTabCargo"),
        ("S-1035", "evtTabCarreira", "TEvtTabCarreira", "evtTabCarreira"),
        ("S-1040", "evtTabFuncao", "TEvtTabFuncao", "evtTabFuncao"),
        ("S-1050", "evtTabHorTur", "TEvtTabHorTur", "evtTabHorTur"),
        ("S-1060", "evtTabAmbiente", "TEvtTabAmbiente", "evtTabAmbiente"),
        ("S-1070", "evtTabProcesso", "TEvtTabProcesso", "evtTabProcesso"),
        ("S-1080", "evtTabOperPort", "TEvtTabOperPort", "evtTabOperPort"),
        ("S-1200", "evtRemun", "TEvtRemun", "evtRemun"),
        ("S-1202", "evtRmnRPPS", "TEvtRemunRPPS", "evtRmnRPPS"),
        ("S-1207", "evtBenPrRP", "TEvtBenPrRP", "evtBenPrRP"),
        ("S-1210", "evtPgtos", "TEvtPgtos", "evtPgtos"),
        ("S-1250", "evtAqProd", "TEvtAqProd", "evtAqProd"),
        ("S-1260", "evtComProd", "TEvtComProd", "evtComProd"),
        ("S-1270", "evtContratAvNP", "TEvtContratAvNP", "evtContratAvNP"),
        ("S-1280", "evtInfoComplPer", "TEvtInfoComplPer", "evtInfoComplPer"),
        ("S-1295", "evtTotConting", "TEvtTotConting", "evtTotConting"),
        ("S-1298", "evtReabreEvPer", "TEvtReabreEvPer", "evtReabreEvper"),
        ("S-1299", "evtFechaEvPer", "TEvtFechaEvPer", "evtFechaEvPer"),
        ("S-1300", "evtContrSindPatr", "TEvtContrSindPatr", "evtContrSindPatr"),
        ("S-2190", "evtAdmPrelim", "TEvtAdmPrelim", "evtAdmPrelim"),
        ("S-2200", "evtAdmissao", "TEvtAdmissao", "evtAdmissao"),
        ("S-2205", "evtAltCadastral", "TEvtAltCadastral", "evtAltCadastral"),
        ("S-2206", "evtAltContratual", "TEvtAltContratual", "evtAltContratual"),
        ("S-2210", "evtCAT", "TEvtCAT", "evtCAT"),
        ("S-2220", "evtMonit", "TevtMonit", "evtMonit"),
        ("S-2221", "evtToxic", "TEvtToxic", "EvtToxic"),
        ("S-2230", "evtAfastTemp", "TEvtAfastTemp", "evtAfastTemp"),
        ("S-2240", "evtExpRisco", "TEvtExpRisco", "evtExpRisco"),
        ("S-2245", "evtTreiCap", "TEvtTreiCap", "EvtTreiCap"),
        ("S-2250", "evtAvPrevio", "TEvtAvPrevio", "evtAvPrevio"),
        ("S-2260", "evtConvInterm", "TEvtConvInterm", "evtConvInterm"),
        ("S-2298", "evtReintegr", "TEvtReintegr", "evtReintegr"),
        ("S-2299", "evtDeslig", "TEvtDeslig", "evtDeslig"),
        ("S-2300", "evtTSVInicio", "TEvtTSVInicio", "evtTSVInicio"),
        ("S-2306", "evtTSVAltContr", "TEvtTSVAltContr", "evtTSVAltContr"),
        ("S-2399", "evtTSVTermino", "TEvtTSVTermino", "evtTSVTermino"),
        ("S-2400", "evtCdBenPrRP", "TEvtCdBenPrRP", "evtCdBenPrRP"),
        ("S-3000", "evtExclusao", "TEvtExclusao", "evtExclusao"),
    ],
}

FAMILIAS = {"esocial": ESOCIAL}
