"""An INI text for one event of one layout version that fills every field and every optional
group, with two items in each list and the first branch of each choice, with values that satisfy
the field's facets (enumeration, pattern, sizes, bounds). The INI naming is the event models':
one section per group, numbered sections per list item, keys named after the fields.
"""

from decimal import Decimal

TEXTO = "Teste de preenchimento do modelo de evento com texto suficiente para qualquer campo"


def valor_do_padrao(padrao, minimo=0, maximo=-1):
    """A text matching an XSD pattern of the subset the layouts use, of a length between
    `minimo` and `maximo` when the pattern allows one (each top-level alternative is tried with
    the least and with the most repetitions)."""
    candidatos = []
    for mais in (False, True):
        i = 0
        while i <= len(padrao):
            texto, i = _sequencia(padrao, i, mais)
            candidatos.append(texto)
            i += 1
    for texto in candidatos:
        if len(texto) >= minimo and (maximo < 0 or len(texto) <= maximo):
            return texto
    return candidatos[0]


def _alternativas(p, i, mais):
    primeira, i = _sequencia(p, i, mais)
    while i < len(p) and p[i] == "|":
        _, i = _sequencia(p, i + 1, mais)
    return primeira, i


def _sequencia(p, i, mais=False):
    saida = ""
    while i < len(p) and p[i] not in "|)":
        atomo, i = _atomo(p, i, mais)
        minimo, maximo, i = _quantidade(p, i)
        saida += atomo * (maximo if mais else minimo)
    return saida, i


def _atomo(p, i, mais):
    c = p[i]
    if c == "(":
        texto, i = _alternativas(p, i + 1, mais)
        return texto, i + 1
    if c == "[":
        fim = p.index("]", i + 1)
        classe = p[i + 1:fim]
        if classe.startswith("^"):
            return "A", fim + 1
        return classe[0], fim + 1
    if c == "\\":
        e = p[i + 1]
        return {"d": "1", "w": "A", "s": " "}.get(e, e), i + 2
    if c == ".":
        return "A", i + 1
    return c, i + 1


def _quantidade(p, i):
    if i < len(p) and p[i] == "{":
        fim = p.index("}", i)
        partes = p[i + 1:fim].split(",")
        minimo = max(int(partes[0]), 1)
        maximo = int(partes[1]) if len(partes) > 1 and partes[1] else minimo
        return minimo, max(maximo, minimo), fim + 1
    if i < len(p) and p[i] in "?*+":
        return 1, 1, i + 1
    return 1, 1, i


def valor_campo(c):
    if c.codigos:
        return c.codigos[0]
    if c.tipo == "data":
        return "10/01/2024"
    if c.tipo == "datahora":
        return "10/01/2024 10:20:30"
    if c.tipo == "decimal":
        valor = Decimal("1.5")
        if c.min_incl is not None and valor < Decimal(c.min_incl):
            valor = Decimal(c.min_incl)
        if c.max_incl is not None and valor > Decimal(c.max_incl):
            valor = Decimal(c.max_incl)
        return str(valor).replace(".", ",")
    if c.padrao:
        return valor_do_padrao(c.padrao, c.min_tam, c.max_tam)
    if c.inteiro:
        valor = 1
        if c.min_incl is not None:
            valor = max(valor, int(c.min_incl))
        if c.max_incl is not None:
            valor = min(valor, int(c.max_incl))
        return str(valor)
    minimo = max(c.min_tam, 1)
    maximo = c.max_tam if c.max_tam > 0 else len(TEXTO)
    tamanho = min(max(minimo, 5), maximo)
    return TEXTO[:tamanho].replace(" ", "x")


def largura(no):
    """The digits of a list's item numbers in its section names."""
    return 3 if no.max_ocorr > 99 else 2


def larguras_da_uniao(uniao):
    """The width of every list of the merged model by its path, so that the INI of each version
    numbers its sections as the reader (made from the merged model) expects."""
    saida = {}

    def visitar(no, caminho):
        for f in no.filhos:
            if f.grupo():
                if f.max_ocorr > 1:
                    saida[caminho + (f.nome,)] = largura(f)
                visitar(f, caminho + (f.nome,))

    visitar(uniao, ())
    return saida


def ini_do_evento(elemento, arvore, larguras):
    secoes = []  # (name, [(key, value)])
    modos = []

    def tem_modos(no):
        return no.grupo() and (no.modos or any(tem_modos(f) for f in no.filhos))

    evento = [("Sequencial", "1")]
    if tem_modos(arvore):
        evento.append(("ModoLancamento", "alteracao"))
    secoes.append((elemento, evento))
    modos.append("alteracao")

    def campos(no):
        return [(f.nome, valor_campo(f)) for f in no.filhos
                if not f.grupo() and not fora_da_escolha(f) and dentro_do_modo(no, f)]

    def fora_da_escolha(f):
        return f.escolha is not None and f.escolha[1] != 0

    def dentro_do_modo(pai, f):
        return not pai.modos or "alteracao" in pai.modos_do_filho.get(f.nome, {"alteracao"})

    def grupo(no, indice, caminho):
        secoes.append((no.nome + indice, campos(no)))
        filhos(no, indice, caminho)

    def filhos(no, indice, caminho):
        for f in no.filhos:
            if not f.grupo() or fora_da_escolha(f) or not dentro_do_modo(no, f):
                continue
            lista(f, indice, caminho + (f.nome,))

    def lista(f, indice, caminho):
        if caminho in larguras:
            for i in range(1, min(2, f.max_ocorr) + 1):
                grupo(f, indice + str(i).zfill(larguras[caminho]), caminho)
        else:
            grupo(f, indice, caminho)

    for f in arvore.filhos:
        if f.nome == "ideEvento":
            valores = dict(campos(f))
            if "indRetif" in valores:
                valores["indRetif"] = "2"
            secoes.append(("ideEvento", list(valores.items())))
        elif f.nome == "ideEmpregador":
            secoes.append(("ideEmpregador", [("tpInsc", "1"), ("nrInsc", "12345678000195")]))
        else:
            lista(f, "", (f.nome,))

    linhas = []
    for nome, chaves in secoes:
        linhas.append("[%s]" % nome)
        linhas += ["%s=%s" % (k, v) for k, v in chaves]
        linhas.append("")
    return linhas
