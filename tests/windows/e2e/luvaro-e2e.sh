#!/usr/bin/env bash
# Whole runs of Luvaro.exe under Wine, headless, against the Linux stand-ins on loopback: the
# ERP, the eSocial and EFD-Reinf services (HTTPS that asks for the client certificate) and the
# update server. The company's A1 certificate is in Wine's "My" store, as an office imports it.
#   luvaro-e2e.sh <Luvaro.exe> <luvaro-importar-pfx.exe> <luvaro-sim> <certificates> <folder>
# <certificates> is the folder of make-certs.sh; <folder> is emptied and keeps the runs
# (application folder, what each stand-in received) for a look after a failure. Runs in the
# Wine prefix of the environment (WINEPREFIX).
#
# Each run: the exit code and the status lines (standard error) of the Linux program; then what
# the stand-ins received: every signed document verified by xmlsec1 against the test CA, the
# TLS client certificate the A1 one, and the reply at the ERP.
set -uo pipefail
exe=$1 importar=$2 sim=$3 certs=$4 work=$5
root=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=scripts/lib/schemas.sh
. "$root/scripts/lib/schemas.sh"

# Every step waits at most this long; a run that hangs fails instead of holding ctest.
limite=${LUVARO_E2E_LIMITE:-120}
versao=4.0.01-180629
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

rm -rf "$work"
home="$work/app" out="$work/recebido"
mkdir -p "$home/Logs" "$home/cadeias" "$out"
schemas_copiar "${LUVARO_SHARED_SCHEMAS:-$root/../shared/schemas}" "$home/schemas" || exit 1
# The stand-ins' server certificates come from the test CA, trusted as cadeias/ trusts the
# government's authority.
cp "$certs/ca.pem" "$home/cadeias/ac-luvaro-teste.pem"
serial=$(grep '^a1;' "$certs/manifest.txt" | cut -d';' -f2)

pids=()
parar() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap parar EXIT

# start_sim <name> <role> [options]: sets url_<name> to the stand-in's base URL.
start_sim() {
  local name=$1 role=$2
  shift 2
  # Ended by parar, or at the latest when ctest would give up on the whole test.
  timeout 900 "$sim" "$role" --output "$out/$name" "$@" \
    > "$work/$name.url" 2> "$work/$name.log" &
  pids+=($!)
  local tries=0
  until [ -s "$work/$name.url" ]; do
    if ! kill -0 "${pids[-1]}" 2>/dev/null || [ $tries -ge 300 ]; then
      echo "luvaro-sim $role did not start:" >&2
      cat "$work/$name.log" >&2
      exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
  done
  # By name: Wine's WinHTTP checks the host against the certificate's DNS names only, and the
  # stand-ins' certificate names localhost besides 127.0.0.1.
  printf -v "url_$name" '%s' "$(head -n 1 "$work/$name.url" | sed 's|^https://127.0.0.1:|https://localhost:|')"
}
# Wine checks the server certificate for a few seconds after the handshake before the request
# leaves (it reads the system roots): the services wait for it as real servers do.
governo=(--keep-alive 30 --cert "$certs/server.pem" --key "$certs/server.key.pem"
         --client-ca "$certs/ca.pem" --signer-ca "$certs/ca.pem" --schemas "$home/schemas")
start_sim erp erp --fixtures "$root/tests/fixtures/e2e_esocialbx/erp"
start_sim erp_reinf erp --fixtures "$root/tests/fixtures/e2e_reinf/erp"
start_sim esocial esocial "${governo[@]}"
start_sim reinf reinf "${governo[@]}"
start_sim update update
start_sim update_nova update --versao 1.15 --versao-orvane 4.0.02-190101

servicos_esocial() {
  local section
  for section in eSocial_H eSocial_P; do
    printf '[%s]\r\n' "$section"
    printf 'EnviarLoteEventos=%s\r\n' "${url_esocial}servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc"
    printf 'ConsultarLoteEventos=%s\r\n' "${url_esocial}servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc"
    printf 'ConsultarIdentificadoresEventos=%s\r\n' "${url_esocial}servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc"
    printf 'DownloadEventos=%s\r\n' "${url_esocial}servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc"
  done
}
servicos_esocial > "$home/eSocialServicos.ini"
printf '[Reinf_H]\r\nEnviarLoteEventos_2.12=%s\r\nConsultarLoteEventos_2.12=%s\r\n' \
  "${url_reinf}recepcao/lotes" "${url_reinf}consulta/lotes" > "$home/ReinfServicos.ini"

# The A1 certificate into "My", as its PFX is imported on an office's machine.
if ! LUVARO_TEST_CERTS=$certs timeout "$limite" wine "$importar" a1 > "$work/importar.log" 2>&1; then
  echo "the A1 certificate could not be put into the My store:" >&2
  cat "$work/importar.log" >&2
  exit 1
fi

export LUVARO_HEADLESS=1 LUVARO_HOME="$home" LUVARO_CERTIFICADO="$serial"
export LUVARO_TIMEOUT_MS=60000 no_proxy='*'
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY

inicio=$'Iniciando...\nVerificando atualização...'
parametros=$'Setando os parametros...\nConfigurando certificado...'
retorno='Enviando retorno para o Orvane...'
envio=$'Buscando eventos...\nMontando eventos...\nEnviando eventos...'

# How many requests a stand-in has received so far.
recebidos() { find "$out/$1" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | wc -l; }

# The endpoints of a stand-in's requests after the first <n>, in order, one line.
endpoints_desde() {
  find "$out/$1" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | sort | tail -n +"$(($2 + 1))" |
    sed 's|.*/[0-9]*-[A-Z]*-||' | paste -sd' '
}

# confere <run> <stand-in> <its requests before the run> <endpoints expected, in order>
confere() {
  local recebido
  recebido=$(endpoints_desde "$2" "$3")
  [ "$recebido" = "$4" ] || fail "$1: $2 received \"$recebido\", expected \"$4\""
}

# The n-th request folder (1-based) of a stand-in.
pedido() { find "$out/$1" -mindepth 1 -maxdepth 1 -type d | sort | sed -n "${2}p"; }

# Every signed document in a request body: the events of a lot (the content of each
# <evento Id="...">), else the one signed request document (eSocial or Reinf element).
documentos_assinados() {
  perl -0777 -ne '
    my @docs = m{<evento [Ii]d="[^"]*">\s*(.*?)</evento>}sg;
    @docs = m{(<(eSocial|Reinf)\b.*</\2>)}s ? ($1) : () unless @docs;
    for my $i (0 .. $#docs) {
      open(my $f, ">", "$ENV{DESTINO}/documento-$i.xml") or die;
      print $f $docs[$i];
      close $f;
      # A reference to an "id" attribute (EFD-Reinf) names its element for xmlsec1.
      my ($ns) = $docs[$i] =~ m{xmlns="([^"]*)"};
      if ($docs[$i] =~ m{<(\w+)\s[^>]*\bid="}) {
        open(my $a, ">", "$ENV{DESTINO}/documento-$i.xml.idattr") or die;
        print $a "$ns:$1";
        close $a;
      }
    }' "$1"
}

# verifica_assinaturas <request folder>: xmlsec1 checks each signed document against the test
# CA, and the certificate each one carries is the A1 one; the TLS client certificate too.
verifica_assinaturas() {
  local pasta=$1 destino doc count=0
  destino=$(mktemp -d "$work/assinados.XXXX")
  DESTINO=$destino documentos_assinados "$pasta/body"
  for doc in "$destino"/documento-*.xml; do
    [ -e "$doc" ] || continue
    count=$((count + 1))
    local args=(--verify --trusted-pem "$certs/ca.pem")
    [ -f "$doc.idattr" ] && args+=(--id-attr:id "$(cat "$doc.idattr")")
    xmlsec1 "${args[@]}" "$doc" > "$destino/xmlsec.out" 2>&1 ||
      fail "$(basename "$pasta"): xmlsec1 refused $(basename "$doc"): $(cat "$destino/xmlsec.out")"
    local certificado
    certificado=$(grep -o '<X509Certificate>[^<]*' "$doc" | head -n 1 | cut -d'>' -f2)
    [ "$(printf '%s' "$certificado" | base64 -d 2>/dev/null | openssl x509 -inform DER -noout -serial 2>/dev/null)" = "serial=$serial" ] ||
      fail "$(basename "$pasta"): $(basename "$doc") is not signed with the A1 certificate"
  done
  [ "$count" -gt 0 ] || fail "$(basename "$pasta"): no signed document in the request"
  grep -q "^serial: $serial$" "$pasta/tls.txt" ||
    fail "$(basename "$pasta"): the TLS client certificate was not the A1 one: $(cat "$pasta/tls.txt")"
}

# run <name> <expected exit code> <expected standard error> <update URL> <args...>
# Runs Luvaro.exe once with the time limit; compares exit code and standard error (CR LF as
# LF) and keeps them in $work/<name>.err.
run() {
  local name=$1 esperado=$2 saida=$3 atualizacao=$4
  shift 4
  echo "-- $name: Luvaro.exe $*"
  LUVARO_ATUALIZACAO_URL=$atualizacao timeout -k 10 "$limite" wine "$exe" "$@" \
    > "$work/$name.out" 2> "$work/$name.err.crlf"
  local code=$?
  tr -d '\r' < "$work/$name.err.crlf" > "$work/$name.err"
  [ "$code" != 124 ] && [ "$code" != 137 ] || fail "$name: no end within $limite s"
  [ "$code" = "$esperado" ] || fail "$name: exit code $code, expected $esperado"
  [ "$(cat "$work/$name.err")" = "$saida" ] ||
    fail "$name: standard error:"$'\n'"$(cat "$work/$name.err")"$'\n'"expected:"$'\n'"$saida"
}

# The XML reply a result POST carried to the ERP, JSON member xmlRetornoLote.
retorno_erp() { perl -MJSON::PP -0777 -ne 'print decode_json($_)->{xmlRetornoLote}' "$1/body"; }

# --- The runs, in order (the query needs the send's protocol, the download the receipts): each
# with its exit code, standard error, update server and command line, then what each stand-in
# received.

# The sends (process 0), one row each: run, ERP stand-in, service stand-in, company key,
# project type, the service's endpoint. eSocial: the two rubrics of employer 12345678;
# EFD-Reinf: the contributor's asynchronous lot. The protocol each reply carries to the ERP is
# kept for the query.
declare -A protocolo
envios=(
  "envio-esocial erp esocial 12345678 esocial EnviarLoteEventos"
  "envio-reinf erp_reinf reinf 98765432000198 reinf EnviarLoteEventos_2.12"
)
for linha in "${envios[@]}"; do
  read -r nome erp gov empresa tipo endpoint <<< "$linha"
  erp0=$(recebidos "$erp") gov0=$(recebidos "$gov")
  url_erp_envio=url_$erp
  run "$nome" 0 "$inicio"$'\n'"$parametros"$'\n'"$envio"$'\n'"$retorno" "$url_update" \
    "$versao" 0 "${!url_erp_envio}" 1 1 "$empresa" "$tipo"
  confere "$nome" "$gov" "$gov0" "$endpoint"
  confere "$nome" "$erp" "$erp0" "lotes lotesRetorno"
  verifica_assinaturas "$(pedido "$gov" $((gov0 + 1)))"
  protocolo[$tipo]=$(retorno_erp "$(pedido "$erp" $((erp0 + 2)))" |
    grep -o '<protocoloEnvio>[^<]*\|<protocolo>[^<]*' | head -n 1 | cut -d'>' -f2)
  [ -n "${protocolo[$tipo]}" ] || fail "$nome: no protocol in the reply the ERP received"
done

# Query of that protocol (process 1): the processing reply, with a receipt per rubric.
erp0=$(recebidos erp) gov0=$(recebidos esocial)
run consulta-esocial 0 "$inicio"$'\n'"$parametros"$'\nConsultando protocolo...\n'"$retorno" \
  "$url_update" "$versao" 1 "$url_erp" "${protocolo[esocial]:-sem-protocolo}" 1 12345678 esocial
confere consulta-esocial esocial "$gov0" "ConsultarLoteEventos"
confere consulta-esocial erp "$erp0" "consultaProtocoloRetorno"
recibos=$(retorno_erp "$(pedido erp $((erp0 + 1)))" | grep -o '<nrRecibo>[^<]*' | wc -l)
[ "$recibos" = 2 ] || fail "consulta-esocial: $recibos receipts in the reply at the ERP"

# Table-event download (process 2): the identifier query, then the first receipt it names.
erp0=$(recebidos erp) gov0=$(recebidos esocial)
tabela=$'Consultando eventos de tabela...\n'"$envio"$'\nAvaliando Retorno...\nPreparando download...'
run download-tabela 0 "$inicio"$'\n'"$parametros"$'\n'"$tabela"$'\n'"$retorno" "$url_update" \
  "$versao" 2 "$url_erp" "" 1 12345678 esocialbx
confere download-tabela esocial "$gov0" "ConsultarIdentificadoresEventos DownloadEventos"
confere download-tabela erp "$erp0" "lotes lotesRetorno"
verifica_assinaturas "$(pedido esocial $((gov0 + 1)))"
verifica_assinaturas "$(pedido esocial $((gov0 + 2)))"
retorno_erp "$(pedido erp $((erp0 + 2)))" | grep -q '<evt Id=' ||
  fail "download-tabela: no downloaded event in the reply at the ERP"

# An update that needs a newer ERP: refused with its message, exit code 1, nothing sent and no
# installer fetched.
erp0=$(recebidos erp) upd0=$(recebidos update_nova)
recusa=$'Erro: Existe uma nova versão do Luvaro,  porém é necessário atualizar o Orvane para '
recusa+=$'utilizá-la. \nPor favor efetue a atualização do Orvane no servidor.\nOperação cancelada!'
run atualizacao-recusada 1 "$inicio"$'\n'"$recusa" "$url_update_nova" \
  "$versao" 0 "$url_erp" 1 1 12345678 esocial
confere atualizacao-recusada update_nova "$upd0" "versao"
[ "$(recebidos erp)" = "$erp0" ] || fail "atualizacao-recusada: the ERP was asked for a lot"
[ ! -e "$home/Luvaro-install" ] && [ ! -e "$home/Luvaro-install.exe" ] ||
  fail "atualizacao-recusada: an installer was downloaded"

# The daily log, in the ANSI code page, holds the parameter line of every run that read them.
linhas=$(cat "$home"/Logs/log_*.txt 2>/dev/null | grep -c $'Inicio Applica\xe7\xe3o com os parametros: ')
[ "$linhas" = 4 ] || fail "the log holds $linhas start lines, expected 4"

[ "$status" = 0 ] && echo "all runs as expected"
exit $status
