#!/usr/bin/env bash
# Luvaro.exe with its Win32 window under Wine, on an Xvfb display of its own and in a Wine
# prefix of its own (the other tests' prefix has no display). Two runs against an update server
# that does not answer and an ERP that does not answer:
#   1. the certificate dialog is cancelled: exit code 2;
#   2. the test certificate (an A1 in "My") is chosen: the run goes on to fetch the lot, and the
#      ERP's failure ends it with exit code 1.
#   3. without a display the window cannot open: the run goes on headless.
# Along the way the status text (read from the window with WM_GETTEXT) must change, the
# message boxes must carry the program's captions and default buttons, and screenshots of the
# status window and of the certificate dialog are kept in <shots>.
#   window-xvfb.sh <Luvaro.exe> <window-probe.exe> <shots folder>
set -uo pipefail
exe=$1 probe=$2 shots=$3
work=$(mktemp -d)
xvfb_pid= luvaro_pid=
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -n "$luvaro_pid" ] && kill "$luvaro_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
step() { echo "-- $*" >&2; }

# A display of its own: Xvfb picks a free number and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

step "Wine prefix"
wineboot --init > "$work/wineboot.log" 2>&1
mkdir -p "$shots" "$work/home/Logs"
rm -f "$shots"/*.png
# The probe's output is UTF-8 with Windows line ends.
p() { wine "$probe" "$@" 2>> "$work/probe.log" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" || fail "screenshot $1"; }

p import a1 || { fail "import of the test certificate: $(cat "$work/probe.log")"; exit 1; }

export LUVARO_HOME="$work/home" LUVARO_ATUALIZACAO_URL=http://127.0.0.1:1 LUVARO_TIMEOUT_MS=5000
unset LUVARO_HEADLESS
titulo_cert="Selecione um Certificado"

# Starts one send run in the background; its exit code lands in $work/code.<run>.
start_run() {
  rm -f "$work/code.$1"
  (wine "$exe" 4.0.01-180629 0 http://127.0.0.1:1/ 1 1 chave-teste esocial \
     > "$work/out.$1" 2> "$work/err.$1"; echo $? > "$work/code.$1") &
  luvaro_pid=$!
}
wait_run() {
  for _ in $(seq 1 300); do [ -s "$work/code.$1" ] && break; sleep 0.1; done
  luvaro_pid=
  cat "$work/code.$1" 2>/dev/null || echo "none"
}
# The update server's failure: one error box with "&Ok", its default button; then pressed.
update_error() {
  p wait-window "Erro" 60000 || { fail "$1: no update error box (status $(p status))"; return; }
  local buttons
  buttons=$(p buttons "Erro")
  [ "$buttons" = "1 &Ok *" ] || fail "$1: update error box buttons: $buttons"
}

step "run 1: the certificate dialog cancelled"
start_run 1
p wait-status "Verificando atualização..." 60000 || fail "run 1: status $(p status)"
first=$(p status)
update_error "run 1"
shot status-verificando
p press "Erro" 1
p wait-window "$titulo_cert" 60000 || fail "run 1: no certificate dialog (status $(p status))"
second=$(p status)
[ "$second" = "Configurando certificado..." ] || fail "run 1: status under the dialog: $second"
[ "$first" != "$second" ] || fail "run 1: the status text did not change ($first)"
shot certificado
p press "$titulo_cert" 2  # Cancel
code=$(wait_run 1)
[ "$code" = 2 ] || fail "run 1: exit code $code, expected 2 (no certificate)"

step "run 2: the test certificate chosen"
start_run 2
update_error "run 2"
p press "Erro" 1
p wait-window "$titulo_cert" 60000 || fail "run 2: no certificate dialog"
p select-first "$titulo_cert" || fail "run 2: no certificate list"
p press "$titulo_cert" 1  # OK
# The lot cannot be fetched: the failure box of the send, over the status of the fetch.
p wait-window "Erro" 60000 || fail "run 2: no failure box after the choice (status $(p status))"
third=$(p status)
[ "$third" = "Buscando eventos..." ] || fail "run 2: status after the choice: $third"
shot falha-erp
p press "Erro" 1
code=$(wait_run 2)
[ "$code" = 1 ] || fail "run 2: exit code $code, expected 1 (the ERP's failure)"

p remove a1 || true

step "run 3: no display: the run goes on without its window"
DISPLAY= wine "$exe" > "$work/out.3" 2> "$work/err.3"
code=$?
[ "$code" = 1 ] || fail "run 3: exit code $code"
err=$(tr -d '\r' < "$work/err.3")
[[ "$err" == *$'a execução segue sem janela.\nIniciando...\nErro: Versão Orvane não informada.' ]] ||
  fail "run 3: $err"
for f in status-verificando certificado falha-erp; do
  [ -s "$shots/$f.png" ] || fail "no screenshot $f.png"
done
# The certificate dialog is on the second screenshot only: the two differ.
if [ -s "$shots/status-verificando.png" ] && [ -s "$shots/certificado.png" ]; then
  diff=$(compare -metric AE "$shots/status-verificando.png" "$shots/certificado.png" null: 2>&1)
  [ "${diff%% *}" != 0 ] || fail "the screenshots are the same"
fi
if [ $status != 0 ]; then
  for f in "$work"/err.* "$work/probe.log"; do echo "== $f" >&2; cat "$f" >&2; done
fi
exit $status
