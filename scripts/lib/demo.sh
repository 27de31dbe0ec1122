# The demo's local world, sourced by scripts/demo and scripts/soak: a SoftHSM2 token with the
# test certificates (PIN 1234), the program's folder (Logs/, schemas/, cadeias/), the stand-ins
# of luvaro-sim and the service table that points the program at them.
#
# Set before calling: root (the checkout), build (a configured tree with Luvaro and luvaro-sim
# built) and demo (the folder to fill; emptied first).

# demo_preparar: checks the schemas and SoftHSM2, makes the token and the program's folder.
# Sets exe, sim, module, home, token, out and serial; exports SOFTHSM2_CONF.
demo_preparar() {
  exe="$build/app/Luvaro"
  sim="$build/tools/sim/luvaro-sim"
  local schemas_src=${LUVARO_SHARED_SCHEMAS:-$root/../shared/schemas}
  if [ ! -d "$schemas_src/esocial" ]; then
    echo "The published schemas are not at $schemas_src (set LUVARO_SHARED_SCHEMAS)." >&2
    exit 1
  fi
  module=$(find /usr/lib -name libsofthsm2.so -path '*softhsm*' 2>/dev/null | head -n 1)
  [ -n "$module" ] || { echo "SoftHSM2 is missing; run scripts/install-deps." >&2; exit 1; }

  rm -rf "$demo"
  mkdir -p "$demo"
  home="$demo/app"        # the program's folder: Logs/, Docs/, schemas/, cadeias/, service table
  token="$demo/token"     # the SoftHSM2 token and its certificates
  out="$demo/recebido"    # what each stand-in received, one folder per request

  "$root/tests/fixtures/token/make-token.sh" "$token" >/dev/null
  export SOFTHSM2_CONF="$token/softhsm2.conf"
  serial=$(grep '^empresa;' "$token/manifest.txt" | cut -d';' -f2)

  # The eSocial and EFD-Reinf schemas in one folder (the eSocial copy of the signature schema
  # wins), and Logs/ so that the program keeps its daily log.
  mkdir -p "$home/Logs" "$home/schemas" "$home/cadeias"
  cp "$schemas_src"/reinf/*.xsd "$home/schemas/" 2>/dev/null || true
  cp "$schemas_src"/esocial/*.xsd "$home/schemas/"
  # cadeias/: the authorities the program ships (laid out by the build beside the executable),
  # plus the test CA of the stand-ins, so that the program verifies them as it verifies the
  # government's servers.
  cp "$build"/app/cadeias/*.pem "$home/cadeias/"
  cp "$token/ca.pem" "$home/cadeias/ac-luvaro-teste.pem"
  # The simplified layouts (S-1.2, S-1.3) and EFD-Reinf 2.1.2: one folder per version, which
  # the program and the stand-ins read.
  cp -r "$schemas_src"/esocial/S_01_0* "$home/schemas/"
  cp -r "$schemas_src"/reinf/v2_01_02 "$home/schemas/"
}

demo_pids=()
demo_parar() {
  for pid in "${demo_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${demo_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# start_sim <name> <role> [options]: starts a stand-in and sets url_<name> to its base URL.
# demo_parar stops every stand-in started.
start_sim() {
  local name=$1 role=$2
  shift 2
  "$sim" "$role" --output "$out/$name" "$@" >"$demo/$name.url" 2>"$demo/$name.log" &
  demo_pids+=($!)
  local tries=0
  until [ -s "$demo/$name.url" ]; do
    kill -0 "${demo_pids[-1]}" 2>/dev/null || { cat "$demo/$name.log" >&2; exit 1; }
    tries=$((tries + 1))
    [ $tries -lt 200 ] || { echo "luvaro-sim $role did not start" >&2; exit 1; }
    sleep 0.05
  done
  printf -v "url_$name" '%s' "$(head -n 1 "$demo/$name.url")"
}

# demo_esocial <erp fixtures>: the update server, the ERP and the eSocial services, with the
# service table beside the program pointing both environments at the eSocial stand-in.
demo_esocial() {
  start_sim update update --cert "$token/server.pem" --key "$token/server.key.pem"
  start_sim erp erp --fixtures "$1"
  start_sim esocial esocial --cert "$token/server.pem" --key "$token/server.key.pem" \
    --client-ca "$token/ca.pem" --signer-ca "$token/ca.pem" --schemas "$home/schemas"
  local section
  {
    for section in eSocial_H eSocial_P; do
      echo "[$section]"
      echo "EnviarLoteEventos=${url_esocial}servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc"
      echo "ConsultarLoteEventos=${url_esocial}servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc"
      echo "ConsultarIdentificadoresEventos=${url_esocial}servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc"
      echo "DownloadEventos=${url_esocial}servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc"
    done
  } >"$home/eSocialServicos.ini"
}

# demo_ambiente: the program's environment for runs against the stand-ins.
demo_ambiente() {
  export LUVARO_HOME="$home"
  export LUVARO_ATUALIZACAO_URL="$url_update"
  export LUVARO_PKCS11_MODULE="$module"
  export no_proxy='*'
}

# The reply text the ERP received in its last request to an endpoint.
last_body() { ls -d "$out"/erp/*-"$1" 2>/dev/null | tail -n 1 | sed 's|$|/body|'; }

# The protocol in the last send reply the ERP received.
last_protocol() {
  local protocolo
  protocolo=$(grep -o '<protocoloEnvio>[^<]*' "$(last_body lotesRetorno)" | head -n 1 | cut -d'>' -f2 || true)
  [ -n "$protocolo" ] || { echo "the ERP received no protocol" >&2; return 1; }
  echo "$protocolo"
}
