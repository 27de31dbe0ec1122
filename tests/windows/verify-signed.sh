#!/usr/bin/env bash
# Checks with xmlsec1 every document the Windows tests signed under Wine: <folder>/assinados
# holds <name>.xml signed with the certificate <name-before-the-first-dot>.pem of <folder>,
# and <name>.xml.idattr when the reference names an id attribute (element of that namespace).
set -euo pipefail
dir=${1:?usage: verify-signed.sh <folder>}
count=0
for xml in "$dir"/assinados/*.xml; do
  [ -e "$xml" ] || continue
  base=$(basename "$xml")
  cert="$dir/${base%%.*}.pem"
  args=(--verify --pubkey-cert-pem "$cert")
  [ -f "$xml.idattr" ] && args+=(--id-attr:id "$(cat "$xml.idattr")")
  if ! xmlsec1 "${args[@]}" "$xml"; then
    echo "FAILED: $base" >&2
    exit 1
  fi
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no signed documents in $dir/assinados" >&2; exit 1; }
echo "$count signed documents verified by xmlsec1"
