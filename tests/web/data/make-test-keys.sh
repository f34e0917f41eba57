#!/usr/bin/env bash
# Makes the test certificate authority, the loopback server's certificate and the update
# signing key that the web-service suites use. Nothing here is trusted outside the tests.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 36500 \
  -subj "/CN=Plintra Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout "$work/ca.key" -out test-ca.pem

openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=127.0.0.1" \
  -keyout loopback-server.key -out "$work/server.csr"
cat > "$work/server.ext" <<'EXT'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,DNS:localhost
EXT
openssl x509 -req -in "$work/server.csr" -CA test-ca.pem -CAkey "$work/ca.key" -CAcreateserial -CAserial "$work/ca.srl" \
  -days 36500 -sha256 -extfile "$work/server.ext" -out loopback-server.pem

# An authority the program must not trust: the server may present a certificate from it.
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 36500 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1" -keyout untrusted-server.key -out untrusted-server.pem

openssl ecparam -name prime256v1 -genkey -noout -out update-signing.key
openssl ec -in update-signing.key -pubout -out update-signing.pub
# A second key: signatures made with it must not verify.
openssl ecparam -name prime256v1 -genkey -noout -out other-signing.key
