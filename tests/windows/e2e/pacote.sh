#!/usr/bin/env bash
# The Windows package, made from a built Windows tree and installed under Wine as the program's
# own update installs it (/SILENT): the zip holds the program's folder; the installer puts the
# same files into the user's program folder, without a question, and the installed Luvaro.exe
# runs from there (a wrong command line: its exit code, its messages and its log beside it).
# First, the program's own update: Luvaro.exe of the zip is offered a newer version whose
# installer is this one (by the update stand-in, luvaro-sim), downloads it, starts it with
# /SILENT, and the installer ends the waiting program and installs.
#   pacote.sh <built Windows tree> <luvaro-sim> <folder>
# Runs in the Wine prefix of the environment (WINEPREFIX); <folder> is emptied and keeps the
# package.
set -uo pipefail
build=$1 sim=$2 work=$3
root=$(cd "$(dirname "$0")/../../.." && pwd)
limite=${LUVARO_E2E_LIMITE:-120}
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

rm -rf "$work"
mkdir -p "$work"
# The installer compressed quickly (zlib): the same script and files, a larger file.
if ! saida=$(LUVARO_BUILD_DIR=$build LUVARO_PACOTE_RAPIDO=1 timeout "$limite" \
               "$root/scripts/package-windows" "$work/pacote" 2> "$work/package-windows.log"); then
  cat "$work/package-windows.log" >&2
  echo "FAIL: scripts/package-windows" >&2
  exit 1
fi
versao=$(sed -n 's/^project(Luvaro VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$root/CMakeLists.txt")
zip=$work/pacote/Luvaro-$versao-win64.zip
instalador=$work/pacote/Luvaro-$versao-win64-instalador.exe
[ "$(echo "$saida" | tail -n 2)" = "$zip"$'\n'"$instalador" ] ||
  fail "package-windows printed: $saida"

# What both hold: the program, one schema of each system at the top and a layout folder of each,
# the Brazilian root, the service tables with CR LF, the notes in Portuguese.
arquivos=(Luvaro.exe LEIAME.txt eSocialServicos.ini ReinfServicos.ini
          cadeias/icp-brasil-raiz-v10.pem schemas/xmldsig-core-schema.xsd
          schemas/EnvioLoteEventos-v1_1_1.xsd schemas/evtInfoContribuinte-v1_04_00.xsd
          schemas/S_01_03_00 schemas/v2_01_02)
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
pasta_zip=$work/zip/Luvaro-$versao-win64
for arquivo in "${arquivos[@]}" Logs; do
  [ -e "$pasta_zip/$arquivo" ] || fail "zip: no $arquivo"
done
cmp -s "$pasta_zip/Luvaro.exe" "$build/app/Luvaro.exe" || fail "zip: Luvaro.exe is not the built one"
# Names that Windows cannot tell apart (EFD-Reinf's schemas come in such pairs): one of each.
duplos=$(cmake -E tar tf "$zip" | sort -f | uniq -di)
[ -z "$duplos" ] || fail "zip: names that differ only in case: $duplos"
[ -e "$pasta_zip/schemas/EnvioLoteEventos-v1_04_00.xsd" ] ||
  [ -e "$pasta_zip/schemas/envioLoteEventos-v1_04_00.xsd" ] || fail "zip: no EFD-Reinf lot schema"
for texto in LEIAME.txt eSocialServicos.ini ReinfServicos.ini; do
  [ "$(grep -c $'\r$' "$pasta_zip/$texto")" = "$(wc -l < "$pasta_zip/$texto")" ] ||
    fail "zip: $texto has lines without CR LF"
done
grep -q "Luvaro $versao para Windows" "$pasta_zip/LEIAME.txt" || fail "zip: LEIAME.txt without its version"
grep -q 'Logs\\log_dd_MM_aaaa.txt' "$pasta_zip/LEIAME.txt" || fail "zip: LEIAME.txt does not say where the log goes"

programas_do_usuario() {
  find "$usuarios" -maxdepth 5 -type d -path '*/AppData/Local/Programs/Luvaro' | head -n 1
}
usuarios=$WINEPREFIX/drive_c/users
[ -z "$(programas_do_usuario)" ] || fail "the Wine prefix holds an installed Luvaro already"

# The update: the stand-in answers version 1.15 with this installer and its SHA-256.
"$sim" update --versao 1.15 --instalador "$instalador" --resumo auto --output "$work/update" \
  > "$work/update.url" 2> "$work/update.log" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null' EXIT
for _ in $(seq 1 300); do
  [ -s "$work/update.url" ] && break
  sleep 0.1
done
url_update=$(head -n 1 "$work/update.url")
[ -n "$url_update" ] || { cat "$work/update.log" >&2; echo "FAIL: the update stand-in did not start" >&2; exit 1; }
args=(4.0.01-180629 0 http://127.0.0.1:1/ 1 1 EMPRESA esocial)
LUVARO_HEADLESS=1 LUVARO_ATUALIZACAO_URL=$url_update \
  timeout "$limite" wine "$pasta_zip/Luvaro.exe" "${args[@]}" > "$work/atualizacao.out" \
  2> "$work/atualizacao.err"
code=$?
err=$(tr -d '\r' < "$work/atualizacao.err")
# Ended by the installer, the program keeps the exit code it held: nothing failed.
[ "$code" = 0 ] || fail "update: exit code $code: $err"
[[ "$err" == *$'Baixando atualização 100% ...\nAtualizando aplicativo...' ]] || fail "update: $err"
[ "$(tr -d '\r' < "$pasta_zip/Luvaro.param" 2>/dev/null | tail -n +2)" = "$(printf '%s\n' "${args[@]}")" ] ||
  fail "update: Luvaro.param holds $(cat "$pasta_zip/Luvaro.param" 2>/dev/null)"
# The installer runs on after the program's end: its files appear once it has finished.
for _ in $(seq 1 "$limite"); do
  [ -n "$(programas_do_usuario)" ] && [ -e "$(programas_do_usuario)/Desinstalar.exe" ] && break
  sleep 1
done
[ -n "$(programas_do_usuario)" ] || fail "update: the installer installed nothing"

# The silent installation, twice more: each replaces the one before, as an update does.
for vez in primeira segunda; do
  timeout "$limite" wine "$instalador" /SILENT > "$work/instalador-$vez.out" 2>&1
  code=$?
  [ "$code" = 0 ] || fail "installer /SILENT ($vez): exit code $code"
done
programas=$(programas_do_usuario)
if [ -z "$programas" ]; then
  fail "nothing installed in the user's program folder"
  exit 1
fi
for arquivo in "${arquivos[@]}" Logs Desinstalar.exe; do
  [ -e "$programas/$arquivo" ] || fail "installed: no $arquivo"
done
diff -r "$pasta_zip/schemas" "$programas/schemas" > /dev/null || fail "installed schemas differ from the zip's"
cmp -s "$programas/Luvaro.exe" "$build/app/Luvaro.exe" || fail "installed Luvaro.exe is not the built one"

# The installed program, started as the ERP starts it, with a process number it does not know:
# exit code 1, the message, and the start line in the log beside it.
LUVARO_HEADLESS=1 LUVARO_ATUALIZACAO_URL=http://127.0.0.1:1 \
  timeout "$limite" wine "$programas/Luvaro.exe" 4.0.01-180629 3 > "$work/run.out" 2> "$work/run.err"
code=$?
[ "$code" = 1 ] || fail "installed Luvaro.exe: exit code $code"
err=$(tr -d '\r' < "$work/run.err")
[[ "$err" == *$'Erro: Erro na leitura dos parâmetros.\n\nERRO: Processo inválido.' ]] ||
  fail "installed Luvaro.exe: $err"
grep -qs $'Inicio Applica\xe7\xe3o com os parametros: ' "$programas"/Logs/log_*.txt ||
  fail "installed Luvaro.exe: no start line in its Logs folder"

[ "$status" = 0 ] && echo "package made, installed silently and run"
exit $status
