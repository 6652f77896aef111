#!/usr/bin/env bash
# Keeping the ad-server data current from the signed vendor site (site/, over HTTPS on
# 127.0.0.2): Options > Download Latest Ad Blocking Data writes both lists, strikes the
# removals out of the hosts file, stamps the date and rebuilds it; a second check downloads
# nothing. A date the site did not sign is refused, a 20 MB version text gives a box that
# fits on the screen without growing the program, and plain HTTP in the site's place is never
# spoken to.
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

  # What the signed site changes: a server the shipped list lacks, a removal it has, and
  # a server in both.
  shipped=$1/../../data/adservers-default.txt
  names_of() { tr -d "\r" < "$site/zshared/$1" | grep -v "^#" | grep -vxF "[END]" | sed "s/^\*//"; }
  new=$(names_of domains.txt | grep -vxFf "$shipped" | sed -n 1p)
  gone=$(names_of removals.txt | grep -xFf "$shipped" | sed -n 1p)
  kept=$(names_of domains.txt | grep -xFf "$shipped" | sed -n 1p)
  [ -n "$new" ] && [ -n "$gone" ] && [ -n "$kept" ] || fail "the site changes nothing"

  start_desktop
  serve_site "$site" "$base" "$out"
  cp /etc/hosts /etc/hostsqlb
  requests() { grep -c "GET /zshared/$1 " "$out/site-log.txt" || true; }
  before=$(requests updatedate.txt)

  start_quorlen "$out/stderr.txt"
  wait_until 60 has_line /etc/hosts "127.0.0.1 $gone" || fail "hosts file not built from the shipped list"

  options() {  # chooses an entry of the Options menu by its access key
    window=$(show_settings) || exit 1
    key_to "$window" alt+o
    wait_until 30 menu_shown || fail "the Options menu did not open"
    xdotool key "$1"
  }
  options d
  wait_until 60 has_line /etc/hosts "127.0.0.1 $new" || fail "the new server is not in the hosts file"
  has_line /etc/hosts "127.0.0.1 $gone" && fail "the removed server is still blocked"
  has_line /etc/hosts "127.0.0.1 $kept" || fail "a kept server lost its line"
  today=$(date +%-m/%-d/%Y)
  [ "$(ini_value DateUpdate "$program/quorlen.ini")" = "$today" ] || fail "DateUpdate not stamped"
  for file in domains.txt domains.txt.sig removals.txt.sig updatedate.txt.sig; do
    [ "$(requests $file)" = 1 ] || fail "$file fetched $(requests $file) times"
  done

  # Signed on a day before today, the site'"'"'s data is current: nothing is downloaded.
  options d
  checked_twice() { [ "$(requests updatedate.txt)" -ge $((before + 2)) ]; }
  wait_until 30 checked_twice || fail "no second date check"
  # Whether it downloaded again is told below, once the program has long finished the check.

  # A newer date that the site did not sign is refused, and nothing changes.
  cp "$program/quorlenhosts.ini" "$out/list-before.ini"; cp /etc/hosts "$out/hosts-before"
  printf "12/31/2099" > "$site/zshared/updatedate.txt"
  options d
  refusal="Quorlen refused zshared/updatedate.txt: it does not carry the Quorlen site'"'"'s signature"
  wait_until 30 grep -qF "$refusal" "$out/stderr.txt" || fail "the unsigned date was not refused"
  cmp -s "$program/quorlenhosts.ini" "$out/list-before.ini" || fail "the list changed"
  cmp -s /etc/hosts "$out/hosts-before" || fail "the hosts file changed"
  [ "$(requests domains.txt)" = 1 ] || fail "a list was downloaded after a current or unsigned date"

  # 20 MB of what a new version has: the box fits on the screen, the program stays small.
  { printf "Version:9.9.9 "
    head -c 20000000 < <(yes "Everything is new, and this line says so once more."); } \
    > "$site/zshared/version.txt"
  rss=$(rss_kb $pid)
  options c
  box=$(wait_for_window "^A New Version is Available$") || fail "no offer of the new version"
  height=$(xdotool getwindowgeometry "$box" | sed -nE "s/.*Geometry: [0-9]+x([0-9]+).*/\1/p")
  [ "$height" -lt 768 ] || fail "the box is $height pixels tall, the screen 768"
  grown=$(( $(rss_kb $pid) - rss ))
  [ "$grown" -lt 20000 ] || fail "the program grew by $grown kB over the version text"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key Escape
  wait_until 30 window_gone "^A New Version" || fail "Esc left the new-version box"
  kill -0 $pid || fail "No ended the program"

  # Plain HTTP in the site'"'"'s place, with every file the site signed: never spoken to.
  kill $site_pid; wait $site_pid 2>/dev/null || true
  python3 -m http.server "$site_port" --bind 127.0.0.2 --directory "$site" >/dev/null \
    2>"$out/plain-log.txt" &
  site_pid=$!
  wait_until 30 curl -sf -o /dev/null "http://$site_host:$site_port/" || fail "no plain site"
  options d
  attempts() { grep -c "code 400" "$out/plain-log.txt" || true; }
  tried() { [ "$(attempts)" -ge 11 ]; }
  wait_until 30 tried || fail "the program did not try the site: $(attempts) attempts"
  grep -q "GET /zshared/" "$out/plain-log.txt" && fail "the program spoke plain HTTP"
  cmp -s "$program/quorlenhosts.ini" "$out/list-before.ini" || fail "the list changed"

  end_program $pid
  echo "e2e data update: ok"
' update "$here" "$work" "$base"
