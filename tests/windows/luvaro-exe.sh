#!/usr/bin/env bash
# Luvaro.exe under Wine, headless: a wrong command line ends with the exit code and the messages
# of the Linux program (standard error's CR LF, which the Windows C runtime writes, compared as
# LF), and the parameter line goes to the log in the ANSI code page.
#   luvaro-exe.sh <Luvaro.exe>
set -uo pipefail
exe=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export LUVARO_HEADLESS=1 LUVARO_HOME="$home" LUVARO_ATUALIZACAO_URL=http://127.0.0.1:1
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

wine "$exe" > "$home/out" 2> "$home/err"
code=$?
[ "$code" = 1 ] || fail "no arguments: exit code $code"
expected=$'Iniciando...\nErro: Versão Orvane não informada.'
[ "$(tr -d '\r' < "$home/err")" = "$expected" ] || fail "no arguments: $(cat "$home/err")"
[ ! -s "$home/out" ] || fail "no arguments: standard output $(cat "$home/out")"

mkdir "$home/Logs"
wine "$exe" 4.0.01-180629 3 > "$home/out" 2> "$home/err"
code=$?
[ "$code" = 1 ] || fail "process 3: exit code $code"
err=$(tr -d '\r' < "$home/err")
[[ "$err" == $'Iniciando...\n'* ]] || fail "process 3: $err"
[[ "$err" == *$'Setando os parametros...\nErro: Erro na leitura dos parâmetros.\n\nERRO: Processo inválido.' ]] ||
  fail "process 3: $err"
# The log: one file of today, the start line in windows-1252 ("çã" are two bytes, E7 E3).
log=$(ls "$home"/Logs/log_*.txt 2>/dev/null | head -n 1)
if [ -z "$log" ]; then
  fail "no log file"
else
  grep -q $'Inicio Applica\xe7\xe3o com os parametros: ' "$log" ||
    fail "log not in the ANSI code page: $(od -c "$log" | head)"
fi
exit $status
