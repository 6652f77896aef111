#!/usr/bin/env bash
# Ad-server blocking with curl, in a sandbox under a virtual desktop: the hosts file built
# from the shipped list sends the listed servers to the program's web server, which answers
# plain requests with the placeholder and refuses HTTPS at the handshake, each counted once;
# clearing "start with the computer" and ending the program puts the user's own hosts file
# back byte for byte. curl's times for the refused HTTPS requests go to https-times.txt.
#   block_ads.sh <staged program folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2
  start_desktop
  # An earlier start happened and left the users own hosts file as its backup.
  printf "127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost\n# my own line\n10.1.2.3 nas.home\n" > /etc/hosts
  cp /etc/hosts /etc/hostsqlb; cp /etc/hosts "$out/hosts-before"
  chmod 0644 /etc/hosts
  start_quorlen "$out/stderr.txt"
  first=$(awk "NR==1" "$1/../../data/adservers-default.txt")
  wait_until 60 has_line /etc/hosts "127.0.0.1 $first" || fail "hosts file not built"
  [ "$(stat -c %a /etc/hosts)" = 644 ] || fail "hosts file lost its mode"
  grep -q $'"'"'\r'"'"' /etc/hosts && fail "carriage return in an LF hosts file"

  # The system resolver finds every listed name in the file as written.
  names=$(awk "NR % 997 == 1" "$1/../../data/adservers-default.txt")
  for name in $names; do
    getent hosts "$name" | grep -q "^127\.0\.0\.1 " || fail "getent does not resolve $name"
  done

  # curl: the bytes of the placeholder image, nothing else.
  wait_until 30 curl -s --http0.9 -o /dev/null "http://$first/" || fail "the web server does not answer"
  curl -s --http0.9 -o "$out/banner.gif" "http://$first/ads/banner.gif"
  cmp "$out/banner.gif" "$program/1by1.jpg" || fail "image bytes differ"
  requests=2

  # HTTPS: curl gives up at once on the refused handshake, over IPv4 and IPv6. Its time is mostly
  # loading its CA store once the alert has come: a store of one certificate shows the rest.
  cas=(/etc/ssl/certs/*.pem); one_ca=${cas[0]}
  https_request() {  # <name> [curl options...]: fails on the refusal; prints the time curl took
    local name=$1; shift
    if curl -sS -o /dev/null -w "%{time_total}" "$@" "https://$name/ads/banner.gif" \
         >"$out/curl-time.txt" 2>"$out/curl-https.txt"; then
      echo "the HTTPS request for $name succeeded" >&2; return 1
    fi
    grep -q "unrecognized name" "$out/curl-https.txt" ||
      { echo "the HTTPS request for $name did not end on the refusal:" >&2; cat "$out/curl-https.txt" >&2; return 1; }
    cat "$out/curl-time.txt"
  }
  # Each request names a server of its own: the same one asked again at once counts once.
  paste -d " " <(awk "NR % 4999 == 7" "$1/../../data/adservers-default.txt") \
      <(awk "NR % 4999 == 8" "$1/../../data/adservers-default.txt") > "$out/https-names.txt"
  while read -r name other; do
    whole=$(https_request "$name"); lean=$(https_request "$other" --cacert "$one_ca")
    echo "$name: curl $whole s; $other, with one CA certificate: $lean s" >> "$out/https-times.txt"
    requests=$((requests + 2))
  done < "$out/https-names.txt"
  https_request "$first" --resolve "$first:443:[::1]" >/dev/null
  requests=$((requests + 1))
  # An address names no server: refused as well, and not counted.
  curl -sS -o /dev/null "https://127.0.0.1/" 2>/dev/null && fail "HTTPS to the address succeeded"

  window=$(show_settings)
  "$1/click-startup-box.sh" "$window"
  end_program $pid

  cmp /etc/hosts "$out/hosts-before" ||
    fail "the users own hosts file is not back: $(diff "$out/hosts-before" /etc/hosts | head)"
  has_line /etc/hostsqlf "127.0.0.1 $first" || fail "blocking version not kept"
  total=$(blocked_total)
  [ "$total" -eq "$requests" ] || fail "counted $total of $requests requests"
  sed "s/^/  /" "$out/https-times.txt"
  echo "e2e ad-server blocking: ok ($total requests counted)"
' e2e "$here" "$work"
