#!/usr/bin/env bash
# Ad-server blocking end to end, in a sandbox under a virtual desktop: the staged program
# builds the hosts file from its shipped list, the system resolver and curl send the
# listed servers to its web server, every plain request is answered with the placeholder,
# every HTTPS one refused at its handshake, and each counted once (browsers, on public
# pages: block_ads_browsers.sh); clearing "start with the computer" and ending the program
# puts the user's own hosts file back byte for byte and keeps the count. How long curl
# waited for each refused HTTPS request is kept in https-times.txt.
#   block_ads.sh <staged program folder> <work folder> [lf|crlf]
# With crlf the user's hosts file is a Windows-made one: every line written keeps CR LF.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
ends=${3:-lf}
source "$here/work.sh"
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2; ends=$3
  start_desktop
  # An earlier start happened and left the users own hosts file as its backup.
  printf "127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost\n# my own line\n10.1.2.3 nas.home\n" > /etc/hosts
  if [ "$ends" = crlf ]; then sed -i "s/\$/\r/" /etc/hosts; fi
  cp /etc/hosts /etc/hostsqlb; cp /etc/hosts "$out/hosts-before"
  chmod 0644 /etc/hosts
  start_quorlen "$out/stderr.txt"
  first=$(awk "NR==1" "$1/../../data/adservers-default.txt")
  wait_until 60 has_line /etc/hosts "127.0.0.1 $first" || { echo "hosts file not built"; exit 1; }
  [ "$(stat -c %a /etc/hosts)" = 644 ] || { echo "hosts file lost its mode"; exit 1; }
  if [ "$ends" = lf ] && grep -q $'"'"'\r'"'"' /etc/hosts; then
    echo "carriage return in an LF hosts file"; exit 1
  fi
  if [ "$ends" = crlf ] && grep -qv $'"'"'\r$'"'"' /etc/hosts; then
    echo "a line without CR LF in a CR LF hosts file"; exit 1
  fi

  # The system resolver finds every listed name in the file as written.
  names=$(awk "NR % 997 == 1" "$1/../../data/adservers-default.txt")
  for name in $names; do
    getent hosts "$name" | grep -q "^127\.0\.0\.1 " || { echo "getent does not resolve $name"; exit 1; }
  done

  # curl: the bytes of the placeholder image and of the script kind, nothing else.
  wait_until 30 curl -s --http0.9 -o /dev/null "http://$first/" || { echo "the web server does not answer"; exit 1; }
  curl -s --http0.9 -o "$out/banner.gif" "http://$first/ads/banner.gif"
  cmp "$out/banner.gif" "$program/1by1.jpg" || { echo "image bytes differ"; exit 1; }
  [ "$(curl -s --http0.9 "http://$first/ads/show.js?x=1")" = "<!-- Java Ad -->" ] ||
    { echo "script reply differs"; exit 1; }
  requests=3

  # HTTPS: curl gives up at once on the refused handshake, over IPv4 and IPv6 loopback. Its
  # own time is mostly the loading of its certificate store, which it does only once the
  # alert has come; the same request with a store of one certificate shows the rest.
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
  if curl -sS -o /dev/null "https://127.0.0.1/" 2>/dev/null; then
    echo "HTTPS to the address succeeded"; exit 1
  fi

  # Show the settings window from the tray, untick "start with the computer".
  window=$(show_settings)
  "$1/click-startup-box.sh" "$window"
  end_program $pid

  cmp /etc/hosts "$out/hosts-before" || { echo "the users own hosts file is not back"; diff "$out/hosts-before" /etc/hosts | head; exit 1; }
  has_line /etc/hostsqlf "127.0.0.1 $first" || { echo "blocking version not kept"; exit 1; }
  total=$(blocked_total)
  [ "$total" -eq "$requests" ] || { echo "counted $total of $requests requests"; exit 1; }
  sed "s/^/  /" "$out/https-times.txt"
  echo "e2e ad-server blocking: ok ($total requests counted)"
' e2e "$here" "$work" "$ends"
