#!/usr/bin/env bash
# Makes, for one test, in <folder>: an authority to trust (ca.pem) and a server certificate
# it signs for the given host names (site.pem, site.key). Nothing of it is shipped.
#   make-test-ca.sh <folder> <host name>...
set -euo pipefail
folder=$1; shift
mkdir -p "$folder"; cd "$folder"
curve=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
openssl req -x509 "${curve[@]}" -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Quorlen test authority" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req "${curve[@]}" -keyout site.key -out site.csr -subj "/CN=$1" 2>/dev/null
san=$(printf 'DNS:%s,' "$@")
printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
  "${san%,}" > site.ext
openssl x509 -req -in site.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile site.ext -out site.pem 2>/dev/null
rm -f site.csr site.ext ca.srl
