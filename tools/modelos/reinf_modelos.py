#!/usr/bin/env python3
"""The EFD-Reinf event models from the published layouts' XSDs, on the eSocial generator's
readers and group writers: the events' own identification (ideEvento in one of its shapes, the
contributor ideContri, which some events open around their body), the amounts that the layouts
type as texts with a decimal comma, and the closing event's period rule.

    reinf_modelos.py --schemas DIR --raiz DIR [--verificar]

The same options and exit codes as gerar_modelos.py. R-1000 and R-2010 are written by hand, and
R-2070 has no published schema; the first two still get their INI texts from here. The INI texts
(reinf/modelos/ini) are both the fixtures of the all-events test and the templates that
luvaro-eventos --modelo prints.
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from gerar_modelos import Gerador, nome_arquivo, rodar  # noqa: E402
from valores_ini import ini_do_evento, larguras_da_uniao  # noqa: E402
from xsd_modelo import XS, Campo, Esquema, Grupo, unir  # noqa: E402

REINF = {
    "nome": "reinf",
    "pasta_schemas": "reinf",
    "versoes": ["1_03_00", "1_03_02", "1_04_00"],
    "base": "TReinfEventoModelo",
    "cabecalho_base": "reinf/modelos/evento_modelo.h",
    "saida": "reinf/modelos/gerados",
    # The commented INI text of every event per version: the templates that luvaro-eventos
    # --modelo prints, and the fixtures of the all-events test.
    "fixtures": "reinf/modelos/ini",
    "tipo_evento": "TTipoEvento",
    "schema_enum": "TReinfSchema",
    "eventos": [
        ("R-1070", "evtTabProcesso", "TevtTabProcesso", "evtTabProcesso"),
        ("R-2020", "evtServPrest", "TevtServPrest", "evtPrestadorServicos"),
        ("R-2030", "evtAssocDespRec", "TevtAssocDespRec", "evtRecursoRecebidoAssociacao"),
        ("R-2040", "evtAssocDespRep", "TevtAssocDespRep", "evtRecursoRepassadoAssociacao"),
        ("R-2050", "evtComProd", "TevtComProd", "evtInfoProdRural"),
        ("R-2060", "evtCPRB", "TevtCPRB", "evtInfoCPRB"),
        ("R-2098", "evtReabreEvPer", "TevtReabreEvPer", "evtReabreEvPer"),
        ("R-2099", "evtFechaEvPer", "TevtFechaEvPer", "evtFechamento"),
        ("R-3010", "evtEspDesportivo", "TevtEspDesportivo", "evtEspDesportivo"),
        ("R-9000", "evtExclusao", "TevtExclusao", "evtExclusao"),
    ],
    # Written by hand; only their INI fixtures come from the layouts.
    "so_fixtures": [
        ("R-1000", "evtInfoContri", "TevtInfoContri", "evtInfoContribuinte"),
        ("R-2010", "evtServTom", "TevtServTom", "evtTomadorServicos"),
    ],
    # Written by hand without a published schema: its INI text from arvore_r2070.
    "sem_schema": ("R-2070", "evtPgtosDivs", "evtTomadorServicos"),
    "achatados": {"R-2070": ("infoPgto",)},
    # Section digits that differ from the rule of the lists (3 beyond 99 items, else 2).
    "larguras": {("R-1000", ("infoContri", "infoCadastro", "softHouse")): 2},
}

# The identification shapes: ideEvento's fields -> (record, writer, reader).
FORMAS = {
    ("tpAmb", "procEmi", "verProc"):
        ("TIdeEvento", "EscreverIdeEvento(IdeEvento, true);", "LerIdeEvento(ini, IdeEvento);"),
    ("indRetif", "nrRecibo", "perApur", "tpAmb", "procEmi", "verProc"):
        ("TIdeEvento2", "EscreverIdeEventoPeriodo(IdeEvento, true, true);",
         "LerIdeEvento2(ini, IdeEvento);"),
    ("perApur", "tpAmb", "procEmi", "verProc"):
        ("TIdeEvento2", "EscreverIdeEventoPeriodo(IdeEvento, true, false);",
         "LerIdeEvento2(ini, IdeEvento);"),
    ("indRetif", "nrRecibo", "dtApuracao", "tpAmb", "procEmi", "verProc"):
        ("TIdeEvento3", "EscreverIdeEventoData(IdeEvento);", "LerIdeEvento3(ini, IdeEvento);"),
}

# An amount: digits, the decimal comma, a fixed number of decimals.
VALOR = re.compile(r"\[0-9\]\{1,(\d+)\}\[,\]\[0-9\]\{(\d)\}")

# A contributor every fixture names (a company's CNPJ).
INSCRICAO = "12345678000195"
CPF = "12345678909"

IDENTIFICACAO = ("ideEvento", "ideContri")


def ajustar(no):
    """Amount texts become decimals; a year-month pattern that allows month 00 gives way to
    one that does not (the fixtures' values are made from the patterns)."""
    for f in no.filhos:
        if f.grupo():
            ajustar(f)
            continue
        m = VALOR.fullmatch(f.padrao or "")
        if m:
            f.tipo = "decimal"
            f.decimais = int(m.group(2))
            f.total_digitos = int(m.group(1))
            f.padrao = None
        elif f.padrao == "2{1}[0-9]{3}-{1}[0-1]{1}[0-9]{1}":
            f.padrao = "20([0-9][0-9])-(0[1-9]|1[0-2])"
    return no


def sem_id(arvore):
    """The event element's id attribute is the identifier the base class writes."""
    arvore.filhos = [f for f in arvore.filhos if f.grupo() or not f.atributo]
    return arvore


class EsquemaReinf(Esquema):
    """A field typed as a union (R-9000's perApur: a year-month, or a date for R-3010) takes
    its first member's facets."""

    def tipo_simples(self, elemento, campo):
        simples = elemento.find(XS + "simpleType")
        uniao = simples.find(XS + "union") if simples is not None else None
        if uniao is not None:
            elemento = uniao
        super().tipo_simples(elemento, campo)


def ler_evento(caminho):
    return ajustar(sem_id(EsquemaReinf(caminho).evento()))


def campo(nome, minimo=0, maximo=-1, obrigatorio=True, tipo="texto", codigos=(), padrao=None):
    c = Campo(nome)
    c.padrao = padrao
    c.min_tam, c.max_tam = minimo, maximo
    c.min_ocorr = 1 if obrigatorio else 0
    c.tipo = tipo
    c.codigos = list(codigos)
    return c


def grupo(nome, filhos, obrigatorio=True, maximo=1):
    g = Grupo(nome)
    g.filhos = filhos
    g.min_ocorr = 1 if obrigatorio else 0
    g.max_ocorr = maximo
    return g


def arvore_r2070(r2010):
    """R-2070 as its hand-written model reads it, for its INI text: no layout here publishes
    its schema. Its identification is R-2010's (`r2010`, that layout's tree); infoPgto holds no
    field and has no section of its own (the model reads ideEstab and the payments directly)."""
    arvore = Grupo("evtPgtosDivs")
    arvore.filhos = [
        r2010.filho("ideEvento"),
        r2010.filho("ideContri"),
        grupo("ideBenef", [
            campo("codPgto", 1, 4, padrao="[0-9]{4}"),
            campo("tpInscBenef", 1, 1, obrigatorio=False, codigos=("1", "2")),
            campo("nrInscBenef", 11, 14, obrigatorio=False, padrao="[0-9]{11}"),
            campo("nmRazaoBenef", 1, 150),
            grupo("infoResidExt", [
                campo("paisResid", 3, 3, padrao="[0-9]{3}"),
                campo("indNIF", 1, 1, codigos=("1", "2", "3")),
                campo("nifBenef", 1, 20, obrigatorio=False),
            ], obrigatorio=False),
            grupo("infoMolestia", [campo("dtLaudo", tipo="data")], obrigatorio=False),
            grupo("infoPgto", [
                grupo("ideEstab", [
                    campo("nrInsc", 14, 14, padrao="[0-9]{14}"),
                    grupo("pgtoResidBR", [
                        campo("dtPgto", tipo="data"),
                        campo("vlrRendTributavel", 1, 14, tipo="decimal"),
                        campo("vlrIR", 1, 14, obrigatorio=False, tipo="decimal"),
                    ], maximo=999),
                ]),
            ]),
        ]),
    ]
    return arvore


class GeradorReinf(Gerador):
    def ler(self):
        for codigo, elemento, classe, base in self.f["eventos"]:
            por_versao = {}
            for versao in self.versoes:
                caminho = os.path.join(self.schemas, "%s-v%s.xsd" % (base, versao))
                if os.path.exists(caminho):
                    por_versao[versao] = ler_evento(caminho)
            if not por_versao:
                raise SystemExit("no schema for %s in %s" % (codigo, self.schemas))
            arvores = {v: ler_evento(os.path.join(self.schemas, "%s-v%s.xsd" % (base, v)))
                       for v in por_versao}
            self.eventos.append((codigo, elemento, classe, unir(arvores), por_versao))

    def grupos(self, arvore):
        """Every group below the event element, children first, without the identification
        groups themselves (the groups an event puts inside ideContri are its own)."""
        saida = []

        def visitar(no):
            for f in no.filhos:
                if f.grupo():
                    visitar(f)
                    if not (no is arvore and f.nome in IDENTIFICACAO):
                        saida.append(f)

        visitar(arvore)
        return saida

    @staticmethod
    def corpo(arvore):
        """The event's own top groups and whether ideContri holds them."""
        contri = arvore.filho("ideContri")
        dentro = [f for f in contri.filhos if f.grupo()] if contri is not None else []
        fora = [f for f in arvore.filhos if f.nome not in IDENTIFICACAO]
        return dentro + fora, bool(dentro)

    def evento(self, codigo, elemento, classe, arvore):
        espaco = codigo.replace("-", "").lower()
        arquivo = nome_arquivo(elemento)
        ide = arvore.filho("ideEvento")
        forma = FORMAS.get(tuple(f.nome for f in ide.filhos)) if ide is not None else None
        if forma is None:
            raise SystemExit("%s: ideEvento of no known shape" % codigo)
        modos = any(g.modos for g in self.grupos(arvore))
        proprios = []
        for g in self.grupos(arvore):
            if not self.e_comum(g) and g.tipo_cpp not in [p.tipo_cpp for p in proprios]:
                proprios.append(g)
        comuns = [g for g in self.grupos(arvore) if self.e_comum(g)]
        raiz, contri_aberto = self.corpo(arvore)
        for f in raiz:
            if not f.grupo():
                raise SystemExit("%s: a field right under the event element" % codigo)

        def tipo_de(f):
            tipo, _ = self.tipo_membro(f)
            if not self.e_comum(f):
                tipo = tipo.replace(f.tipo_cpp, "%s::%s" % (espaco, f.tipo_cpp))
            return tipo

        h = ["#pragma once", "", self.aviso(), "", "#include <string>", "",
             "#include \"%s\"" % self.f["cabecalho_base"]]
        if comuns:
            h.append("#include \"%s/grupos_comuns.h\"" % self.f["saida"])
        h += ["", "namespace luvaro::reinf {", ""]
        if proprios:
            h += ["namespace %s {" % espaco, ""]
            for g in proprios:
                h += self.struct(g)
            h += ["}  // namespace %s" % espaco, ""]
        h += ["// %s" % codigo,
              "class %s final : public %s {" % (classe, self.f["base"]), " public:",
              "  static constexpr TTipoEvento kTipoEvento = TTipoEvento::te%s;" %
              codigo.replace("-", ""),
              "  explicit %s(TReinfComponente& AReinf);" % classe,
              "  std::string ClassName() const override { return \"%s\"; }" % classe, ""]
        if modos:
            h.append("  TTipoOperacao ModoLancamento = TTipoOperacao::mlInclusao;")
        h.append("  %s IdeEvento;" % forma[0])
        for f in raiz:
            h.append("  %s %s;" % (tipo_de(f), f.nome))
        h += ["", " protected:", "  void GerarCorpo() override;",
              "  void LerIni(const IniFile& ini) override;"]
        if codigo == "R-2070":
            h.append("  bool ComValidacao() const override { return false; }")
        h += ["};", "", "}  // namespace luvaro::reinf", ""]

        c = [self.aviso(), "", "#include \"%s/%s.h\"" % (self.f["saida"], arquivo), "",
             "#include \"dfe/config/ini_values.h\"", "", "namespace luvaro::reinf {", ""]
        if proprios:
            c += ["namespace %s {" % espaco, ""]
            for g in proprios:
                c += self.gerar_grupo(g, g.tipo_cpp)
                c += self.leitura_grupo(g, g.tipo_cpp)
            c += ["}  // namespace %s" % espaco, ""]
        schema = "sch" + self.schema_de(codigo)
        c += ["%s::%s(TReinfComponente& AReinf)" % (classe, classe),
              "    : %s(AReinf, %s::%s, \"%s\") {}" % (self.f["base"], self.f["schema_enum"],
                                                      schema, elemento), "",
              "void %s::GerarCorpo() {" % classe]
        if raiz:
            c.append("  TEscritaModelo e = Escrita(%s);" % (
                "ModoLancamento" if modos else "TTipoOperacao::mlInclusao"))
        c.append("  " + forma[1])
        if contri_aberto:
            c += ["  Gerador().wGrupo(\"ideContri\");", "  EscreverIdeContri(ideContri(), false);"]
        else:
            c.append("  EscreverIdeContri(ideContri(), true);")
        for f in raiz:
            if codigo == "R-2099" and f.nome == "infoFech":
                c += ["  " + l for l in self.fechamento(f, espaco)]
            else:
                c += ["  " + l for l in self.escrita_raiz(f)]
            if contri_aberto and f is raiz[len([g for g in arvore.filho("ideContri").filhos
                                                  if g.grupo()]) - 1]:
                c.append("  Gerador().wGrupo(\"/ideContri\");")
        c += ["}", "", "void %s::LerIni(const IniFile& ini) {" % classe]
        if modos:
            c.append("  ModoLancamento = LerModoLancamento(ini);")
        c.append("  " + forma[2])
        if raiz:
            c.append("  const std::string indice;")
        fal = type("R", (), {})()
        fal.filhos, fal.modos, fal.modos_do_filho = raiz, False, {}
        c += ["  " + l for l in self.leitura_filhos(fal)]
        c += ["}", "", "}  // namespace luvaro::reinf", ""]
        return arquivo, h, c

    def fechamento(self, f, espaco):
        """The closing event's flags of payments and of a period without movement belong to
        periods up to 2018-10; where the layout makes the payments flag compulsory (1.03.00) it
        stays."""
        tipo = f.tipo_cpp if self.e_comum(f) else "%s::%s" % (espaco, f.tipo_cpp)
        return ["// The flags of payments and of a period without movement only up to 2018-10.",
                "%s fechamento = %s;" % (tipo, f.nome),
                "if (IdeEvento.perApur > \"2018-10\") {",
                "  fechamento.compSemMovto.clear();",
                "  if (e.Versao > 0) fechamento.evtPgtos.clear();",
                "}",
                "fechamento.Gerar(e);"]

    @staticmethod
    def aviso():
        return ("// Generated by tools/modelos/reinf_modelos.py from the published layouts; "
                "do not edit.")

    def comuns_arquivos(self):
        h, c = super().comuns_arquivos()
        return [self.reinf(l) for l in h], [self.reinf(l) for l in c]

    def reinf(self, linha):
        if linha.startswith("// Generated by"):
            return self.aviso()
        return {"namespace luvaro {": "namespace luvaro::reinf {",
                "}  // namespace luvaro": "}  // namespace luvaro::reinf"}.get(linha, linha)

    def fixtures(self):
        """The INI texts of every event with a schema, hand-written ones included."""
        saida = []
        for codigo, elemento, _, arvore, por_versao in self.eventos:
            saida.append((codigo, elemento, arvore, por_versao))
        for codigo, elemento, _, base in self.f["so_fixtures"]:
            por_versao = {}
            for versao in self.versoes:
                caminho = os.path.join(self.schemas, "%s-v%s.xsd" % (base, versao))
                if os.path.exists(caminho):
                    por_versao[versao] = ler_evento(caminho)
            saida.append((codigo, elemento, None, por_versao))
        codigo, elemento, base = self.f["sem_schema"]
        por_versao = {}
        for versao in self.versoes:
            caminho = os.path.join(self.schemas, "%s-v%s.xsd" % (base, versao))
            if os.path.exists(caminho):
                por_versao[versao] = arvore_r2070(ler_evento(caminho))
        saida.append((codigo, elemento, None, por_versao))
        return saida

    def executar(self):
        self.ler()
        self.repartir()
        saida = self.f["saida"]
        h, c = self.comuns_arquivos()
        self.escrever(os.path.join(saida, "grupos_comuns.h"), h)
        self.escrever(os.path.join(saida, "grupos_comuns.cpp"), c)
        for codigo, elemento, classe, arvore, _ in self.eventos:
            arquivo, h, c = self.evento(codigo, elemento, classe, arvore)
            self.escrever(os.path.join(saida, arquivo + ".h"), h)
            self.escrever(os.path.join(saida, arquivo + ".cpp"), c)
        for codigo, elemento, arvore, por_versao in self.fixtures():
            larguras = larguras_da_uniao(arvore if arvore is not None
                                         else list(por_versao.values())[-1])
            for (cod, caminho), digitos in self.f["larguras"].items():
                if cod == codigo:
                    larguras[caminho] = digitos
            for versao, arvore_versao in por_versao.items():
                linhas = contribuinte(ini_do_evento(elemento, arvore_versao, larguras, codigo,
                                                    versao, self.f["achatados"].get(codigo, ())))
                nome = "%s-%s.ini" % (codigo, versao)
                self.escrever(os.path.join(self.f["fixtures"], nome), linhas)


def contribuinte(linhas):
    """Every fixture names the same company in ideContri, and a CNPJ or CPF key made from a
    pattern that allows the short form ("000") gets a whole number instead, which the event
    writers' size rules for these fields also accept."""
    saida = []
    secao = None
    for linha in linhas:
        chave, _, valor = linha.partition("=")
        if linha.startswith("["):
            secao = linha
        elif secao == "[ideContri]" and chave == "tpInsc":
            linha = "tpInsc=1"
        elif secao == "[ideContri]" and chave == "nrInsc":
            linha = "nrInsc=" + INSCRICAO
        elif valor.isdigit() and chave.startswith("cnpj") and len(valor) < len(INSCRICAO):
            linha = chave + "=" + INSCRICAO
        elif valor.isdigit() and chave.startswith("cpf") and len(valor) < len(CPF):
            linha = chave + "=" + CPF
        saida.append(linha)
    return saida


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--schemas", required=True, help="the folder of the published schemas")
    p.add_argument("--raiz", required=True, help="where the generated tree goes")
    p.add_argument("--verificar", action="store_true",
                   help="compare with the files under --raiz instead of writing them")
    a = p.parse_args()
    return rodar(GeradorReinf, REINF, a.schemas, a.raiz, a.verificar)

if __name__ == "__main__":
    sys.exit(main())
