#!/usr/bin/env bash
# A stand-in of the Windows tests: luvaro-sim (a Linux program) in one of its roles on loopback,
# recording the requests in <folder>/requests and reading faults from <folder>/control.
#   sim.sh start <folder> <luvaro-sim> <role> [role options...]   writes <folder>/url
#   sim.sh stop <folder>
set -euo pipefail
case "$1" in
  start)
    dir=$2 sim=$3
    shift 3
    rm -rf "$dir" && mkdir -p "$dir"
    "$sim" "$@" --output "$dir/requests" --control "$dir/control" \
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
