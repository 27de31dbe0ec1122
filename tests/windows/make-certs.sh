#!/usr/bin/env bash
# Makes the certificates of the Windows tests in the folder given as the only argument, with
# openssl: the ICP-Brasil-shaped test certificates of tests/fixtures/token/make-token.sh (its
# manifest.txt lists name;serial;sha1;...), each with its key as <name>.pfx (password
# "senha-pfx", in the PKCS#12 form every CryptoAPI reads: 3DES and SHA-1 MAC), and signatures
# made by openssl that the tests compare theirs with:
#   dado.txt                   the signed bytes
#   <name>.<digest>.sig        RSA PKCS #1 v1.5 signature of dado.txt with <name>'s key
set -euo pipefail
out=${1:?usage: make-certs.sh <folder>}
rm -rf "$out"
"$(dirname "$0")/../fixtures/token/make-token.sh" "$out" >/dev/null
cd "$out"
for name in empresa san ecpf vencido a1; do
  openssl pkcs12 -export -in "$name.pem" -inkey "$name.key.pem" -name "$name" \
    -certpbe PBE-SHA1-3DES -keypbe PBE-SHA1-3DES -macalg sha1 \
    -passout pass:senha-pfx -out "$name.pfx"
done
openssl x509 -in ca.pem -outform DER -out ca.der
printf 'Luvaro: evento S-1000 de 2024-03' > dado.txt
for name in empresa a1; do
  for digest in sha1 sha256 sha512; do
    openssl dgst "-$digest" -sign "$name.key.pem" -out "$name.$digest.sig" dado.txt
  done
done
mkdir -p assinados
