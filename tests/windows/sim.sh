#!/usr/bin/env bash
# The government stand-in of the WinHTTP tests: luvaro-sim's gov role on loopback, HTTPS with
# the test server certificate, asking for a client certificate of the test CA.
#   sim-gov.sh start <luvaro-sim> <certs folder> <folder>   writes <folder>/url, records the
#                                                           requests in <folder>/requests and
#                                                           reads faults from <folder>/control
#   sim-gov.sh stop <folder>
set -euo pipefail
case "$1" in
  start)
    sim=$2 certs=$3 dir=$4
    rm -rf "$dir" && mkdir -p "$dir"
    "$sim" gov --cert "$certs/server.pem" --key "$certs/server.key.pem" \
      --client-ca "$certs/ca.pem" --output "$dir/requests" --control "$dir/control" \
      > "$dir/stdout" 2> "$dir/stderr" &
    echo $! > "$dir/pid"
    for _ in $(seq 1 300); do
      if [ -s "$dir/stdout" ]; then head -n 1 "$dir/stdout" > "$dir/url"; exit 0; fi
      kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "luvaro-sim did not start:" >&2
    cat "$dir/stderr" >&2
    exit 1
    ;;
  stop)
    dir=$2
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
    ;;
esac
