#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets (seeds/<target>/) from the test fixtures, the
# built-in service tables and a few hand-written hostile documents. The targets that take
# their choices from the input's last bytes get them appended here, so each seed reaches the
# reader it was made for. Inputs that once broke a target live in seeds/<target>/ too, under
# names starting with "achado-"; this script keeps them.
# Usage: tests/fuzz/make-seeds.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
fx="$root/tests/fixtures"
seeds="$here/seeds"

# seed <target> <name> <file> [choice bytes as printf escapes]
seed() {
  local dir="$seeds/$1"
  mkdir -p "$dir"
  { cat "$3"; printf "${4:-}"; } >"$dir/$2"
}
# text <target> <name> <text as printf format>
text() {
  mkdir -p "$seeds/$1"
  printf "$3" >"$seeds/$1/$2"
}

find "$seeds" -type f ! -name 'achado-*' -delete 2>/dev/null || true

# The reader and the reply extraction: every reply fixture, whole envelopes included. The
# last byte names the result element, the ones before it the group, the field, the type and
# the item (see leitor_fuzz.cpp).
for f in "$fx"/esocial_retornos/*.xml "$fx"/reinf/retornos/*.xml "$fx"/e2e_esocialbx/gov/*.xml; do
  seed leitor "$(basename "$f")" "$f" '\x00\x01\x0a\x09\x07'
done
# The replies in the SOAP envelope the stand-ins answer with (tools/sim: s:Envelope, s:Body,
# <operation>Response in the service's namespace, <operation>Result holding the reply).
# envelope <name> <operation> <namespace> <prefix> <reply> <choice bytes>
envelope() {
  local p=${4:+$4:}
  mkdir -p "$seeds/leitor"
  {
    printf '<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body>'
    printf '<%s%sResponse xmlns%s="%s"><%s%sResult>' "$p" "$2" "${4:+:$4}" "$3" "$p" "$2"
    sed '1s/^<?xml[^>]*>//' "$5"
    printf '</%s%sResult></%s%sResponse></s:Body></s:Envelope>' "$p" "$2" "$p" "$2"
    printf "$6"
  } >"$seeds/leitor/envelope-$1"
}
ns=http://www.esocial.gov.br/servicos/empregador
envelope envio EnviarLoteEventos "$ns/lote/eventos/envio/v1_1_0" "" \
  "$fx"/esocial_retornos/envio-lote-aceito.xml '\x00\x00\x0a\x0d\x00'
envelope consulta ConsultarLoteEventos "$ns/lote/eventos/envio/consulta/retornoProcessamento/v1_1_0" v1 \
  "$fx"/esocial_retornos/consulta-lote-dois-eventos.xml '\x00\x00\x13\x10\x01'
envelope reinf ReceberLoteEventos http://sped.fazenda.gov.br/ "" \
  "$fx"/reinf/retornos/lote-tres-eventos.xml '\x00\x00\x0a\x0f\x02'
mkdir -p "$seeds/leitor"
printf '<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body><s:Fault><faultcode>s:Client</faultcode><faultstring xml:lang="pt-BR">Lote inv&#225;lido &amp; recusado</faultstring></s:Fault></s:Body></s:Envelope>\x00\x00\x0a\x06\x06' \
  >"$seeds/leitor/envelope-falha"

# eSocial replies: 0 send, 1 lot query, 2 identifier query, 3 download, 4.. the totalizers
# S5001, S5002, S5003, S5011, S5012, S5013.
r="$fx/esocial_retornos"
seed esocial_retornos envio-aceito "$r/envio-lote-aceito.xml" '\x00'
seed esocial_retornos envio-recusado "$r/envio-lote-recusado.xml" '\x00'
seed esocial_retornos consulta-lote "$r/consulta-lote-dois-eventos.xml" '\x01'
seed esocial_retornos consulta-ident "$r/consulta-ident-tres.xml" '\x02'
seed esocial_retornos consulta-ident-tabela "$r/consulta-ident-tabela-pedido.xml" '\x02'
seed esocial_retornos consulta-ident-vazia "$fx/e2e_esocialbx/gov/identificadores-201-sem-itens.xml" '\x02'
seed esocial_retornos download "$r/download-evt-rec.xml" '\x03'
seed esocial_retornos s5002 "$r/s5002-irrf-beneficiario.xml" '\x05'
seed esocial_retornos s5003 "$r/s5003-fgts-trabalhador.xml" '\x06'
seed esocial_retornos s5012 "$r/s5012-irrf-contribuinte.xml" '\x08'
seed esocial_retornos s5013 "$r/s5013-fgts-contribuinte.xml" '\x09'

# EFD-Reinf replies: an even last byte reads a send reply, an odd one a query answer.
for f in "$fx"/reinf/retornos/lote-*.xml; do seed reinf_retornos "$(basename "$f")" "$f" '\x00'; done
for f in "$fx"/reinf/retornos/consulta-*.xml; do seed reinf_retornos "$(basename "$f")" "$f" '\x01'; done

# The event container: the unsigned eSocial fixtures, the ERP lots' documents (2.5 and S-1.3),
# and two documents in one text.
for f in "$fx"/esocial/*.xml "$fx"/e2e_esocial/erp/esocial/EMPRESA-DEMO/*.xml \
         "$fx"/e2e_esocial/erp/esocial/EMPRESA-S13/0[1-4]*.xml; do
  seed eventos "$(basename "$(dirname "$f")")-$(basename "$f")" "$f"
done
cat "$fx"/esocial/s1000-info-empregador.xml "$fx"/esocial/s1299-fecha-ev-per.xml \
  >"$seeds/eventos/dois-documentos.xml"

# The XML parse: signing (0 eSocial, 1 EFD-Reinf, 2 <r><e Id>), validation (3), verification
# (4); the documents the parse must refuse or bound.
for f in "$fx"/xmlsign/esocial-*.xml; do seed xml_parse "$(basename "$f")" "$f" '\x00'; done
for f in "$fx"/xmlsign/reinf-*.xml; do seed xml_parse "$(basename "$f")" "$f" '\x01'; done
seed xml_parse validar-s1000 "$fx"/esocial/s1000-info-empregador.xml '\x03'
text xml_parse entidade-interna '<!DOCTYPE r [<!ENTITY emp "Empresa &amp; Filhos"><!ENTITY d "&emp;/&emp;">]><r><e Id="E1">&d;</e></r>\x02'
text xml_parse entidade-externa '<!DOCTYPE r [<!ENTITY x SYSTEM "segredo.txt">]><r><e Id="E1">&x;</e></r>\x02'
text xml_parse entidade-externa-file '<!DOCTYPE r [<!ENTITY x SYSTEM "file:///etc/passwd">]><r><e Id="E1">&x;</e></r>\x02'
text xml_parse entidade-parametro-externa '<!DOCTYPE r [<!ENTITY %% p SYSTEM "segredo.txt">%%p;]><r><e Id="E1">x</e></r>\x02'
text xml_parse dtd-externa '<!DOCTYPE r SYSTEM "segredo.txt"><r><e Id="E1">x</e></r>\x02'
text xml_parse xinclude '<r xmlns:xi="http://www.w3.org/2001/XInclude"><e Id="E1"><xi:include href="segredo.txt" parse="text"/></e></r>\x02'
text xml_parse nao-analisada '<!DOCTYPE r [<!NOTATION n SYSTEM "n"><!ENTITY x SYSTEM "segredo.txt" NDATA n>]><r><e Id="E1" a="x">x</e></r>\x02'
bomba='<!ENTITY l0 "lol">'
for i in 1 2 3 4 5 6 7 8 9; do
  bomba+="<!ENTITY l$i \"$(for j in 1 2 3 4 5 6 7 8 9 10; do printf '&l%d;' $((i - 1)); done)\">"
done
text xml_parse bomba "<!DOCTYPE r [$bomba]><r><e Id=\"E1\">&l9;</e></r>\\x02"
printf '<!DOCTYPE r [<!ENTITY a "%s">]><r><e Id="E1">%s</e></r>\x02' "$(head -c 4000 /dev/zero | tr '\0' a)" \
  "$(for i in $(seq 300); do printf '&a;'; done)" >"$seeds/xml_parse/bomba-quadratica"
printf '<r><e Id="E1">%s%s</e></r>\x02' "$(for i in $(seq 300); do printf '<a>'; done)" \
  "$(for i in $(seq 300); do printf '</a>'; done)" >"$seeds/xml_parse/aninhamento"
seed xml_parse verificar "$fx"/xmlsign/esocial-v02_05_00-evtFechaEvPer.xml '\x04'

# The INI reader and the service table: the built-in tables, the redirection fixture, and one
# table in UTF-16. The last eight bytes choose the lookups (see ini_fuzz.cpp).
for f in "$root"/dfe/config/servicos/*.ini "$fx"/config/*.ini; do
  seed ini "$(basename "$f")" "$f" '\x00\x00\x00\x00\x00\x00\x00\x00'
done
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$root/dfe/config/servicos/eSocialServicos.ini"; } \
  >"$seeds/ini/utf16.ini"
text ini laco '[Laco_SP_P]\r\nUsar=Laco_B\r\n[laco_b]\r\nUsar=LACO_SP_P\r\n\x01\x00\x01\x00\x00\x00\x00\x00'

# The ERP's lot: every JSON fixture; the last byte chooses the Content-Type.
for f in $(find "$fx"/erp "$fx"/e2e_esocial "$fx"/e2e_reinf "$fx"/e2e_esocialbx -name '*.json'); do
  seed erp_json "$(basename "$(dirname "$f")")-$(basename "$f")" "$f" '\x01'
done
printf '{"empresas":[{"arquivos":{"a":"caf\xe9"}}]}\x02' >"$seeds/erp_json/latin1.json"

# The walk over the lot: the same fixtures; the last byte chooses eSocial, EFD-Reinf or the
# table download. Two companies of different employers, and one without a lot path.
for f in $(find "$fx"/erp "$fx"/e2e_esocial "$fx"/e2e_reinf "$fx"/e2e_esocialbx -name '*.json'); do
  for projeto in 0 1 2; do
    seed lote_erp "$(basename "$(dirname "$f")")-$projeto-$(basename "$f")" "$f" "\\x0$projeto"
  done
done
text lote_erp dois-empregadores '{"empresas":[{"documento":"1","arquivos":{}},{"documento":"2","arquivos":{}}]}\x01'
text lote_erp sem-lotepath '{"empresas":[{"lotePath":"a","documento":"1","arquivos":{"x":"<a/>"}},{"documento":"1","arquivos":{"y":"<b/>"}}]}\x01'

# The command line, arguments separated by NUL bytes.
text parametros envio 'Luvaro\0004.0.01-180629\0000\000http://127.0.0.1:8080/\0001\0001\000EMPRESA-DEMO\000esocial'
text parametros consulta 'Luvaro\0004.0.01-180629\0001\000http://127.0.0.1:8080/\0001.1.202405.0000001\0000\00012345678000195\000reinf'
text parametros tabela 'Luvaro\0004.0.01-180629\0002\000http://127.0.0.1:8080/\000\0001\000EMPRESA\000esocialbx'
text parametros inteiros 'Luvaro\000 +12\000-0\000\t2147483647\000-2147483648\0002147483648\000'

# The update server's answer; after a NUL byte, the installed ERP version.
text versao duas-partes '{"versao":"1.14","informacaoComplementar":"4.0.01-180629;https://atualizacao.exemplo/Luvaro-install.exe"}'
text versao tres-partes '{"versao":"1.15","informacaoComplementar":"4.0.01-180629;https://a.exemplo/i.exe;sha256:0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789abcdef"}\0004.0.02-190101'
text versao resumo-errado '{"versao":"1.15","informacaoComplementar":"5.0;https://a.exemplo/i.exe;md5:00"}\0004.0.01'
text versao sem-digitos '{"versao":"x","informacaoComplementar":"abc;http://a/i"}\000sem versao'
