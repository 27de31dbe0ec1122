#!/usr/bin/env bash
# Makes the certificates of the Windows tests in the folder given as the only argument, with
# openssl: the ICP-Brasil-shaped test certificates of tests/fixtures/token/make-token.sh (its
# manifest.txt lists name;serial;sha1;...), each with its key as <name>.pfx (password
# "senha-pfx", in the PKCS#12 form every CryptoAPI reads: 3DES and SHA-1 MAC), and signatures
# made by openssl that the tests compare theirs with:
#   dado.txt                   the signed bytes
#   <name>.<digest>.sig        RSA PKCS #1 v1.5 signature of dado.txt with <name>'s key
#   ca.der.sha256              the SHA-256 of ca.der in hexadecimal
# and an authority that no Windows store trusts, for the checks of cadeias/:
#   ac-cadeias.pem             its certificate
#   servidor-cadeias.pem, .key.pem  a TLS server certificate for localhost issued by it
set -euo pipefail
out=${1:?usage: make-certs.sh <folder>}

# Wine's TLS (schannel over GnuTLS) cannot use an RSA key one of whose private numbers is
# shorter than its place in the key blob (a private exponent whose first byte is zero, about one
# key in a hundred): the handshake ends with SEC_E_INTERNAL_ERROR. Windows has no such limit, so
# the certificates that go over TLS under Wine are made again until their keys have no short part.
chave_inteira() {
  openssl rsa -in "$1" -noout -text 2>/dev/null | awk '
    /^[a-zA-Z]/ { if (campo != "") partes[campo] = hex; campo = $1; hex = ""; next }
    { gsub(/[ :]/, ""); hex = hex $0 }
    END {
      partes[campo] = hex
      split("modulus: privateExponent: prime1: prime2: exponent1: exponent2: coefficient:", nomes, " ")
      for (i in nomes) {
        valor = partes[nomes[i]]
        sub(/^(00)+/, "", valor)
        esperado = nomes[i] == "modulus:" || nomes[i] == "privateExponent:" ? 512 : 256
        if (length(valor) != esperado) exit 1
      }
    }'
}
for _ in $(seq 1 20); do
  rm -rf "$out"
  "$(dirname "$0")/../fixtures/token/make-token.sh" "$out" >/dev/null
  chave_inteira "$out/empresa.key.pem" && chave_inteira "$out/a1.key.pem" && break
done
cd "$out"
for name in empresa san ecpf vencido a1; do
  openssl pkcs12 -export -in "$name.pem" -inkey "$name.key.pem" -name "$name" \
    -certpbe PBE-SHA1-3DES -keypbe PBE-SHA1-3DES -macalg sha1 \
    -passout pass:senha-pfx -out "$name.pfx"
done
openssl x509 -in ca.pem -outform DER -out ca.der
sha256sum ca.der | cut -c1-64 > ca.der.sha256  # the update tests serve ca.der as an installer
printf 'Luvaro: evento S-1000 de 2024-03' > dado.txt
for name in empresa a1; do
  for digest in sha1 sha256 sha512; do
    openssl dgst "-$digest" -sign "$name.key.pem" -out "$name.$digest.sig" dado.txt
  done
done
mkdir -p assinados

openssl req -x509 -newkey rsa:2048 -nodes -keyout ac-cadeias.key.pem -out ac-cadeias.pem \
  -days 3650 -subj "/C=BR/O=Luvaro Teste/CN=AC CADEIAS TESTE" \
  -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout servidor-cadeias.key.pem \
  -out servidor-cadeias.csr -subj "/C=BR/O=Luvaro Teste/CN=localhost" 2>/dev/null
printf '%s\n' "basicConstraints=CA:false" "keyUsage=critical,digitalSignature,keyEncipherment" \
  "extendedKeyUsage=serverAuth" "subjectAltName=DNS:localhost,IP:127.0.0.1" > servidor-cadeias.ext
openssl x509 -req -in servidor-cadeias.csr -CA ac-cadeias.pem -CAkey ac-cadeias.key.pem \
  -set_serial 0x2A01 -days 3650 -extfile servidor-cadeias.ext -out servidor-cadeias.pem 2>/dev/null
