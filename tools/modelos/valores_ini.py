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


MAXIMO_CODIGOS = 40  # codes listed in a key's comment; longer tables are cut with a count


def descricao_campo(c):
    """The comment of a key in a template: what the field holds, its sizes and presence."""
    if c.tipo == "data":
        texto = "data dd/mm/aaaa"
    elif c.tipo == "datahora":
        texto = "data e hora dd/mm/aaaa hh:nn:ss"
    elif c.tipo == "decimal":
        texto = "valor com %d casas decimais (vírgula decimal)" % c.decimais
    elif c.inteiro:
        texto = "número inteiro"
    elif c.min_tam > 0 and c.min_tam == c.max_tam:
        texto = "texto de %d caracteres" % c.max_tam
    elif c.max_tam > 0:
        texto = "texto de %d a %d caracteres" % (max(c.min_tam, 1), c.max_tam)
    else:
        texto = "texto"
    texto += ", obrigatório" if c.min_ocorr > 0 else ", opcional"
    if c.codigos:
        codigos = c.codigos[:MAXIMO_CODIGOS]
        texto += "; códigos: " + ", ".join(codigos)
        if len(c.codigos) > len(codigos):
            texto += " e outros (%d ao todo)" % len(c.codigos)
    return texto


def descricao_grupo(no, largura_lista):
    if largura_lista:
        limite = "até %d itens" % no.max_ocorr if no.max_ocorr < 99999 else "sem limite de itens"
        return ("lista %s, %s: uma seção por item, numerada a partir de %s; a lista termina "
                "no primeiro número que falta" % (no.nome, limite, "1".zfill(largura_lista)))
    if no.min_ocorr == 0:
        return "grupo %s, opcional: sem esta seção o grupo não é gerado" % no.nome
    return "grupo %s" % no.nome


def ini_do_evento(elemento, arvore, larguras, codigo, versao, achatados=(), ignorados=()):
    """The INI text of an event in one layout version: every section and key, each commented
    with what it holds, and values that make a valid document. It is both the template that
    luvaro-eventos --modelo prints and the fixture of the all-events test. The groups named in
    `achatados` have no section of their own: their keys go into the enclosing group's; the
    fields named in `ignorados` are left out (a hand-written reader that does not read them)."""
    secoes = []  # (name, [comment], [(key, value, comment)])

    def tem_modos(no):
        return no.grupo() and (no.modos or any(tem_modos(f) for f in no.filhos))

    evento = [("Sequencial", "0",
               "número de sequência do identificador do evento, até 99999; 0 sorteia um. Eventos "
               "do mesmo empregador gerados no mesmo segundo precisam de números diferentes")]
    if tem_modos(arvore):
        evento.append(("ModoLancamento", "alteracao", "inclusao, alteracao ou exclusao"))
    secoes.append((elemento, ["evento %s" % codigo], evento))

    def campos(no, comentar):
        return [(f.nome, valor_campo(f), descricao_campo(f) if comentar else None)
                for f in no.filhos
                if not f.grupo() and not fora_da_escolha(f) and dentro_do_modo(no, f) and
                f.nome not in ignorados]

    def fora_da_escolha(f):
        return f.escolha is not None and f.escolha[1] != 0

    def dentro_do_modo(pai, f):
        return not pai.modos or "alteracao" in pai.modos_do_filho.get(f.nome, {"alteracao"})

    def grupo(no, indice, caminho, comentario):
        comentar = comentario is not None
        if no.nome in achatados and secoes:
            secoes[-1][2].extend(campos(no, comentar))
        else:
            secoes.append((no.nome + indice, [comentario] if comentar else [],
                           campos(no, comentar)))
        filhos(no, indice, caminho, comentar)

    def filhos(no, indice, caminho, comentar):
        for f in no.filhos:
            if not f.grupo() or fora_da_escolha(f) or not dentro_do_modo(no, f):
                continue
            lista(f, indice, caminho + (f.nome,), comentar)

    def lista(f, indice, caminho, comentar=True):
        if caminho in larguras:
            for i in range(1, min(2, f.max_ocorr) + 1):
                # The second item repeats the first without the comments.
                comentario = descricao_grupo(f, larguras[caminho]) if comentar and i == 1 else None
                grupo(f, indice + str(i).zfill(larguras[caminho]), caminho, comentario)
        else:
            grupo(f, indice, caminho, descricao_grupo(f, 0) if comentar else None)

    for f in arvore.filhos:
        if f.nome == "ideEvento":
            valores = campos(f, True)
            valores = [(k, "2" if k == "indRetif" else v, d) for k, v, d in valores]
            secoes.append(("ideEvento", ["identificação do evento"], valores))
        elif f.nome == "ideEmpregador":
            campos_empregador = dict((c.nome, c) for c in f.filhos)
            secoes.append(("ideEmpregador", ["empregador: o número de inscrição completo"], [
                ("tpInsc", "1", descricao_campo(campos_empregador["tpInsc"])),
                ("nrInsc", "12345678000195", "CNPJ (14 dígitos) ou CPF (11 dígitos), obrigatório")]))
        else:
            lista(f, "", (f.nome,))

    linhas = ["; Evento %s (%s), leiaute %s: todas as seções e chaves que o evento lê." % (
                  codigo, elemento, versao),
              "; Os valores são exemplos que formam um documento válido; troque-os pelos do "
              "evento.",
              "; Uma chave opcional vazia não é escrita. Um grupo opcional ou item de lista só é "
              "lido",
              "; quando a sua seção existe e a primeira chave obrigatória dela está preenchida.",
              ""]
    for nome, comentarios, chaves in secoes:
        linhas += ["; " + c for c in comentarios]
        linhas.append("[%s]" % nome)
        for chave, valor, descricao in chaves:
            if descricao:
                linhas.append("; %s: %s" % (chave, descricao))
            linhas.append("%s=%s" % (chave, valor))
        linhas.append("")
    return linhas
