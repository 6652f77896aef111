#!/usr/bin/env bash
# Ad-server blocking end to end, in a sandbox under a virtual desktop: the staged program
# builds the hosts file from its shipped list, the system resolver and a browser send the
# listed servers to its web server, every request is answered with the placeholder and
# counted; clearing "start with the computer" and ending the program puts the user's own
# hosts file back byte for byte and keeps the count.
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
  # Whether the file has the line, whichever line end it uses.
  has_line() { tr -d "\r" < "$1" | grep -xF "$2" >/dev/null; }
  start_desktop
  # An earlier start happened and left the users own hosts file as its backup.
  printf "127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost\n# my own line\n10.1.2.3 nas.home\n" > /etc/hosts
  if [ "$ends" = crlf ]; then sed -i "s/\$/\r/" /etc/hosts; fi
  cp /etc/hosts /etc/hostsqlb; cp /etc/hosts "$out/hosts-before"
  chmod 0644 /etc/hosts
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start

  "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
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

  # A browser: a page whose image and script come from listed servers.
  if command -v chromium >/dev/null; then
    second=$(awk "NR==2" "$1/../../data/adservers-default.txt")
    third=$(awk "NR==3" "$1/../../data/adservers-default.txt")
    cat > "$out/page.html" <<PAGE
<html><body><h1>Quorlen test page</h1>
<img src="http://$second/banners/ad1.gif" width="1" height="1">
<script src="http://$third/track.js"></script>
</body></html>
PAGE
    timeout 60 chromium --headless=new --no-sandbox --disable-gpu --no-first-run \
      --user-data-dir="$out/chromium" --virtual-time-budget=5000 --dump-dom \
      "file://$out/page.html" > "$out/page-dom.html" 2>"$out/chromium.txt" || true
    grep -q "Quorlen test page" "$out/page-dom.html" || { echo "chromium did not load the page"; exit 1; }
    requests=$((requests + 2))
  fi

  # Show the settings window from the tray, untick "start with the computer".
  click_tray_icon 1
  window=$(wait_for_window "^Quorlen \(on ") || { echo "tray click did not show the settings window"; exit 1; }
  import -window root "$out/settings-after-blocking.png" 2>/dev/null || true
  "$1/click-startup-box.sh" "$window"
  import -window root "$out/startup-unticked.png" 2>/dev/null || true
  end_program $pid

  cmp /etc/hosts "$out/hosts-before" || { echo "the users own hosts file is not back"; diff "$out/hosts-before" /etc/hosts | head; exit 1; }
  has_line /etc/hostsqlf "127.0.0.1 $first" || { echo "blocking version not kept"; exit 1; }
  total=$(grep -a "^nTotBlocked=" "$program/quorlen.ini" | tr -d "\r" | cut -d= -f2)
  [ "$total" -ge "$requests" ] || { echo "counted $total of $requests requests"; exit 1; }
  echo "e2e ad-server blocking: ok ($total requests counted)"
' e2e "$here" "$work" "$ends"
