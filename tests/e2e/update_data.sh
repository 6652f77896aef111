#!/usr/bin/env bash
# Keeping the ad-server data current, end to end in a sandbox under a virtual desktop: the
# vendor site (site/, as signed with the site's key) is served over HTTPS on loopback
# under the build's base URL, whose host name the private hosts file sends to 127.0.0.2,
# with a certificate authority made for the run. Options > Download Latest Ad Blocking
# Data writes both list files, strikes the removals out of the hosts file, stamps the date
# and rebuilds the file, so a server new to the shipped list resolves to 127.0.0.1; a
# second check finds the data current and downloads nothing. A date the site did not sign
# is refused with nothing changed, a version text of 20 MB gives a box that fits on the
# screen without growing the program, and plain HTTP in the site's place is never spoken
# to. In the ad-server list editor, a server added to the user's list is in the hosts file
# after OK, and an allowed one is gone.
#   update_data.sh <staged program folder> <work folder> <site folder> <base URL>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2" "$3"
base=$4
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  source "$1/site.sh"
  program=$2/program; out=$2; site=$2/site; base=$3
  rss_kb() { awk "/^VmRSS:/ {print \$2}" "/proc/$1/status"; }
  host=$(echo "$base" | sed -E "s#^https://([^/:]+).*#\1#")

  # What the signed site changes: a server the shipped list lacks, a removal it has, and
  # a server in both.
  shipped=$1/../../data/adservers-default.txt
  names_of() { tr -d "\r" < "$site/zshared/$1" | grep -v "^#" | grep -vxF "[END]" | sed "s/^\*//"; }
  new=$(names_of domains.txt | grep -vxFf "$shipped" | sed -n 1p)
  gone=$(names_of removals.txt | grep -xFf "$shipped" | sed -n 1p)
  kept=$(names_of domains.txt | grep -xFf "$shipped" | sed -n 1p)
  [ -n "$new" ] && [ -n "$gone" ] && [ -n "$kept" ] || { echo "the site changes nothing"; exit 1; }

  start_desktop
  printf "127.0.0.1 localhost\n127.0.0.2 %s\n" "$host" > /etc/hosts
  cp /etc/hosts /etc/hostsqlb
  # The vendor site has a loopback address of its own; 127.0.0.1 stays for the web server.
  serve_site "$site" "$base" 127.0.0.2 "$out"
  trap "kill \$site_pid 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  requests() { grep -c "GET /zshared/$1 " "$out/site-log.txt" || true; }
  before=$(requests updatedate.txt)

  start_quorlen "$out/stderr.txt"
  wait_until 60 has_line /etc/hosts "127.0.0.1 $gone" || { echo "hosts file not built from the shipped list"; exit 1; }

  options() {  # chooses an entry of the Options menu by its access key
    window=$(show_settings) || exit 1
    key_to "$window" alt+o
    wait_until 30 menu_shown || { echo "the Options menu did not open"; exit 1; }
    xdotool key "$1"
  }
  options d
  wait_until 60 has_line /etc/hosts "127.0.0.1 $new" || { echo "the new server is not in the hosts file"; exit 1; }
  has_line /etc/hosts "127.0.0.1 $gone" && { echo "the removed server is still blocked"; exit 1; }
  has_line /etc/hosts "127.0.0.1 $kept" || { echo "a kept server lost its line"; exit 1; }
  has_line /etc/hosts "127.0.0.2 $host" || { echo "the users own line went"; exit 1; }
  getent hosts "$new" | grep -q "^127\.0\.0\.1 " || { echo "$new does not resolve to 127.0.0.1"; exit 1; }
  expected=$(names_of domains.txt | grep -c .)
  [ "$(ini_value N "$program/quorlenhosts.ini")" = "$expected" ] ||
    { echo "quorlenhosts.ini has N=$(ini_value N "$program/quorlenhosts.ini"), not $expected"; exit 1; }
  grep -aq "=$gone"$'"'"'\r'"'"' "$program/removals.ini" || { echo "removals.ini lacks $gone"; exit 1; }
  today=$(date +%-m/%-d/%Y)
  [ "$(ini_value DateUpdate "$program/quorlen.ini")" = "$today" ] || { echo "DateUpdate not stamped"; exit 1; }
  for file in domains.txt domains.txt.sig removals.txt.sig updatedate.txt.sig; do
    [ "$(requests $file)" = 1 ] || { echo "$file fetched $(requests $file) times"; exit 1; }
  done

  # Signed on a day before today, the site'"'"'s data is current: nothing is downloaded.
  options d
  checked_twice() { [ "$(requests updatedate.txt)" -ge $((before + 2)) ]; }
  wait_until 30 checked_twice || { echo "no second date check"; exit 1; }
  # Whether the current data was downloaded again is told below, once the program has long
  # finished with the check.

  # A newer date that the site did not sign is refused, and nothing changes.
  cp "$program/quorlenhosts.ini" "$out/list-before.ini"; cp /etc/hosts "$out/hosts-before"
  printf "12/31/2099" > "$site/zshared/updatedate.txt"
  options d
  refusal="Quorlen refused zshared/updatedate.txt: it does not carry the Quorlen site'"'"'s signature"
  wait_until 30 grep -qF "$refusal" "$out/stderr.txt" || { echo "the unsigned date was not refused"; exit 1; }
  cmp -s "$program/quorlenhosts.ini" "$out/list-before.ini" || { echo "the list changed"; exit 1; }
  cmp -s /etc/hosts "$out/hosts-before" || { echo "the hosts file changed"; exit 1; }
  [ "$(requests domains.txt)" = 1 ] || { echo "a list was downloaded after a current or unsigned date"; exit 1; }

  # 20 MB of what a new version has: the box fits on the screen, the program stays small.
  { printf "Version:9.9.9 "
    head -c 20000000 < <(yes "Everything is new, and this line says so once more."); } \
    > "$site/zshared/version.txt"
  rss=$(rss_kb $pid)
  options c
  box=$(wait_for_window "^A New Version is Available$") || { echo "no offer of the new version"; exit 1; }
  height=$(xdotool getwindowgeometry "$box" | sed -nE "s/.*Geometry: [0-9]+x([0-9]+).*/\1/p")
  [ "$height" -lt 768 ] || { echo "the box is $height pixels tall, the screen 768"; exit 1; }
  grown=$(( $(rss_kb $pid) - rss ))
  [ "$grown" -lt 20000 ] || { echo "the program grew by $grown kB over the version text"; exit 1; }
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key Escape
  wait_until 30 window_gone "^A New Version" || { echo "Esc left the new-version box"; exit 1; }
  kill -0 $pid || { echo "No ended the program"; exit 1; }

  # Plain HTTP in the site'"'"'s place, with every file the site signed: never spoken to.
  kill $site_pid; wait $site_pid 2>/dev/null || true
  port=$(echo "$base" | sed -nE "s#^https://[^/:]+:([0-9]+).*#\1#p")
  python3 -m http.server "${port:-443}" --bind 127.0.0.2 --directory "$site" >/dev/null \
    2>"$out/plain-log.txt" &
  site_pid=$!
  wait_until 30 curl -sf -o /dev/null "http://$host:${port:-443}/" || { echo "no plain site"; exit 1; }
  options d
  attempts() { grep -c "code 400" "$out/plain-log.txt" || true; }
  tried() { [ "$(attempts)" -ge 11 ]; }
  wait_until 30 tried || { echo "the program did not try the site: $(attempts) attempts"; exit 1; }
  grep -q "GET /zshared/" "$out/plain-log.txt" && { echo "the program spoke plain HTTP"; exit 1; }
  cmp -s "$program/quorlenhosts.ini" "$out/list-before.ini" || { echo "the list changed"; exit 1; }

  # The editor from the tray menu ("&Block Specific ad servers..."), driven by keyboard:
  # the first default server is allowed ("=>"), a server of the users own is added.
  allowed=$(ini_value D0 "$program/quorlenhosts.ini")
  has_line /etc/hosts "127.0.0.1 $allowed" || { echo "$allowed not blocked before"; exit 1; }
  # The window is shown once its lists are loaded; its keys then come in their order.
  choose_in_tray_menu b || exit 1
  editor=$(wait_for_window "^Block or Allow all content") || { echo "no ad-server editor"; exit 1; }
  xdotool windowactivate --sync "$editor" 2>/dev/null || true
  xdotool key Down Tab space                                        # select, "=>"
  xdotool key Tab Tab Tab Tab; xdotool type --delay 20 e2e-own.example
  xdotool key Tab space                                             # "Add to List"
  xdotool key Tab Tab Tab space                                     # OK
  wait_until 60 has_line /etc/hosts "127.0.0.1 e2e-own.example" || { echo "the added server is not blocked"; exit 1; }
  notice=$(wait_for_window "^Quorlen$") || { echo "no notice after the editor saved"; exit 1; }
  key_to "$notice" Return
  wait_until 30 window_gone "^Quorlen$" || { echo "the notice stayed"; exit 1; }
  has_line /etc/hosts "127.0.0.1 $allowed" && { echo "the allowed server is still blocked"; exit 1; }
  grep -aq "=$allowed"$'"'"'\r'"'"' "$program/quorlenhostsexc.ini" || { echo "allowed list not saved"; exit 1; }
  end_program $pid
  echo "e2e data update: ok"
' update "$here" "$work" "$base"
