"""Reads the published XSD of one event layout into a small tree of groups and fields, and merges
the trees of several layout versions of the same event into one model whose nodes remember the
versions that have them.

Only the part of XML Schema that the government's event layouts use is understood: elements with
inline or named complex and simple types, sequences, choices, attributes and the facets length,
minLength, maxLength, pattern, enumeration, fractionDigits, totalDigits, minInclusive and
maxInclusive. Standard library only.
"""

import re
import xml.etree.ElementTree as ET

XS = "{http://www.w3.org/2001/XMLSchema}"

MODOS = ("inclusao", "alteracao", "exclusao")


class Campo:
    """A leaf: an element with simple content, or an attribute of its group."""

    def __init__(self, nome):
        self.nome = nome
        self.tipo = "texto"  # texto, data, datahora, decimal
        self.decimais = 2
        self.min_ocorr = 1
        self.max_ocorr = 1
        self.atributo = False
        self.min_tam = 0
        self.max_tam = -1
        self.codigos = []  # enumeration, in layout order
        self.padrao = None  # the first pattern
        self.min_incl = None
        self.max_incl = None
        self.total_digitos = None
        self.escolha = None  # (choice id, branch) when inside a choice
        self.inteiro = False  # an integer type of XML Schema
        self.versoes = set()
        self.versoes_atributo = set()  # versions where it is an attribute

    def grupo(self):
        return False


class Grupo:
    """An element with element content: its fields and groups in document order."""

    def __init__(self, nome):
        self.nome = nome
        self.min_ocorr = 1
        self.max_ocorr = 1
        self.filhos = []
        self.escolha = None
        self.modos = False  # holds the inclusao/alteracao/exclusao choice
        self.modos_do_filho = {}  # child name -> set of modes (for the mode groups' content)
        self.versoes = set()

    def grupo(self):
        return True

    def filho(self, nome):
        for f in self.filhos:
            if f.nome == nome:
                return f
        return None


class Esquema:
    def __init__(self, caminho):
        with open(caminho, "rb") as arquivo:
            self.raiz = ET.fromstring(arquivo.read())
        self.complexos = {e.get("name"): e for e in self.raiz.findall(XS + "complexType")}
        self.simples = {e.get("name"): e for e in self.raiz.findall(XS + "simpleType")}
        self.escolhas = 0

    def evento(self):
        """The event element: the first element inside the eSocial (or Reinf) root."""
        raiz = self.raiz.find(XS + "element")
        tipo = raiz.find(XS + "complexType")
        for e in tipo.iter(XS + "element"):
            if e.get("name"):
                return self.no(e, None)
        raise ValueError("no event element")

    def no(self, elemento, escolha):
        nome = elemento.get("name")
        complexo = elemento.find(XS + "complexType")
        tipo = elemento.get("type")
        if complexo is None and tipo in self.complexos:
            complexo = self.complexos[tipo]
        if complexo is not None and (complexo.find(XS + "simpleContent") is None):
            no = Grupo(nome)
            self.conteudo(complexo, no, None)
        else:
            no = Campo(nome)
            self.tipo_simples(elemento, no)
        no.min_ocorr = int(elemento.get("minOccurs", "1"))
        maximo = elemento.get("maxOccurs", "1")
        no.max_ocorr = 99999 if maximo == "unbounded" else int(maximo)
        no.escolha = escolha
        return no

    def conteudo(self, complexo, grupo, escolha):
        for parte in complexo:
            if parte.tag == XS + "sequence":
                self.sequencia(parte, grupo, escolha)
            elif parte.tag == XS + "choice":
                self.escolha(parte, grupo)
            elif parte.tag == XS + "attribute":
                if parte.get("name") == "Id":
                    continue
                campo = Campo(parte.get("name"))
                campo.atributo = True
                campo.min_ocorr = 1 if parte.get("use") == "required" else 0
                self.tipo_simples(parte, campo)
                grupo.filhos.append(campo)

    def sequencia(self, sequencia, grupo, escolha):
        for parte in sequencia:
            if parte.tag == XS + "element" and parte.get("name"):
                grupo.filhos.append(self.no(parte, escolha))
            elif parte.tag == XS + "choice":
                self.escolha(parte, grupo)
            elif parte.tag == XS + "sequence":
                self.sequencia(parte, grupo, escolha)

    def escolha(self, choice, grupo):
        self.escolhas += 1
        ident = self.escolhas
        nomes = [e.get("name") for e in choice.findall(XS + "element")]
        if sorted(nomes) == sorted(MODOS):
            # The modes of a table event: their content merged into the enclosing group.
            grupo.modos = True
            for modo in choice.findall(XS + "element"):
                interno = Grupo(modo.get("name"))
                self.conteudo(self.tipo_complexo(modo), interno, None)
                for filho in interno.filhos:
                    if grupo.filho(filho.nome) is None:
                        grupo.filhos.append(filho)
                    grupo.modos_do_filho.setdefault(filho.nome, set()).add(modo.get("name"))
            return
        for ramo, parte in enumerate(choice):
            if parte.tag == XS + "element":
                no = self.no(parte, (ident, ramo))
                grupo.filhos.append(no)
            elif parte.tag == XS + "sequence":
                antes = len(grupo.filhos)
                self.sequencia(parte, grupo, (ident, ramo))
                for no in grupo.filhos[antes:]:
                    no.escolha = (ident, ramo)
        for no in grupo.filhos:
            if no.escolha and no.escolha[0] == ident:
                no.min_ocorr = 0

    def tipo_complexo(self, elemento):
        complexo = elemento.find(XS + "complexType")
        if complexo is None:
            complexo = self.complexos[elemento.get("type")]
        return complexo

    def tipo_simples(self, elemento, campo):
        simples = elemento.find(XS + "simpleType")
        tipo = elemento.get("type")
        if simples is None and tipo in self.simples:
            simples = self.simples[tipo]
        base = tipo or "xs:string"
        restricao = simples.find(XS + "restriction") if simples is not None else None
        if restricao is not None:
            base = restricao.get("base")
            for faceta in restricao:
                nome = faceta.tag.replace(XS, "")
                valor = faceta.get("value")
                if nome == "length":
                    campo.min_tam = campo.max_tam = int(valor)
                elif nome == "minLength":
                    campo.min_tam = int(valor)
                elif nome == "maxLength":
                    campo.max_tam = int(valor)
                elif nome == "enumeration":
                    campo.codigos.append(valor)
                elif nome == "pattern" and campo.padrao is None:
                    campo.padrao = valor
                elif nome == "fractionDigits":
                    campo.decimais = int(valor)
                elif nome == "totalDigits":
                    campo.total_digitos = int(valor)
                elif nome == "minInclusive":
                    campo.min_incl = valor
                elif nome == "maxInclusive":
                    campo.max_incl = valor
        campo.inteiro = base in ("xs:integer", "xs:byte", "xs:nonNegativeInteger", "xs:int",
                                 "xs:positiveInteger", "xs:long", "xs:short", "xs:unsignedByte")
        if base == "xs:date":
            campo.tipo = "data"
        elif base == "xs:dateTime":
            campo.tipo = "datahora"
        elif base == "xs:decimal":
            campo.tipo = "decimal"
        if campo.tipo == "texto" and campo.max_tam < 0 and campo.padrao:
            campo.min_tam, campo.max_tam = tamanhos_do_padrao(campo.padrao)
        if campo.tipo == "texto" and campo.codigos and campo.max_tam < 0:
            campo.min_tam = min(len(c) for c in campo.codigos)
            campo.max_tam = max(len(c) for c in campo.codigos)


def tamanhos_do_padrao(padrao):
    """Sizes a simple pattern allows ("\\d{8,14}" gives 8 to 14); (0, -1) when unclear."""
    ramo = padrao.split("|")[0] if "(" not in padrao else padrao
    m = re.fullmatch(r"(\\d|\\w|\[[^\]]*\])(\{(\d+)(,(\d+))?\})?", ramo)
    if not m:
        if "(" in padrao:
            return 0, -1
        return 0, -1
    if not m.group(2):
        return 1, 1
    minimo = int(m.group(3))
    maximo = int(m.group(5)) if m.group(5) else minimo
    return minimo, maximo


def unir(modelos):
    """One tree from the trees of several versions ({version: tree}, oldest first); every node
    carries the versions that have it, children keep the newest order with older ones inserted
    after their predecessor."""
    versoes = list(modelos)
    base = None
    for versao in reversed(versoes):
        arvore = modelos[versao]
        if base is None:
            base = arvore
            marcar(base, versao)
        else:
            mesclar(base, arvore, versao)
    return base


def marcar(no, versao):
    no.versoes.add(versao)
    if not no.grupo():
        if no.atributo:
            no.versoes_atributo.add(versao)
        return
    for filho in no.filhos:
        marcar(filho, versao)


def mesclar(destino, origem, versao):
    destino.versoes.add(versao)
    if not destino.grupo():
        if origem.atributo:
            destino.versoes_atributo.add(versao)
        for codigo in origem.codigos:
            if codigo not in destino.codigos:
                destino.codigos.append(codigo)
        destino.min_ocorr = min(destino.min_ocorr, origem.min_ocorr)
        return
    destino.min_ocorr = min(destino.min_ocorr, origem.min_ocorr)
    destino.max_ocorr = max(destino.max_ocorr, origem.max_ocorr)
    for nome, modos in origem.modos_do_filho.items():
        destino.modos_do_filho.setdefault(nome, set()).update(modos)
    anterior = None
    for filho in origem.filhos:
        existente = destino.filho(filho.nome)
        if existente is not None and existente.grupo() == filho.grupo():
            if not filho.grupo() and existente.atributo and not filho.atributo:
                # An element here that a newer layout made an attribute: the element keeps the
                # place it has in this layout (attributes go into the opening tag anyway).
                destino.filhos.remove(existente)
                posicao = destino.filhos.index(anterior) + 1 if anterior is not None else 0
                destino.filhos.insert(posicao, existente)
            mesclar(existente, filho, versao)
            anterior = existente
        elif existente is None:
            marcar(filho, versao)
            posicao = destino.filhos.index(anterior) + 1 if anterior is not None else 0
            destino.filhos.insert(posicao, filho)
            anterior = filho
        else:
            raise ValueError("%s: field in one version, group in another" % filho.nome)
