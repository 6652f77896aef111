#!/usr/bin/env bash
# Keeping the ad-server data current, end to end in a sandbox under a virtual desktop: the
# vendor site (a copy of site/ with a new server and a removal added) is served by a
# static web server on loopback under the build's base URL, whose host name the private
# hosts file sends to 127.0.0.2. Options > Download Latest Ad Blocking Data writes both
# list files, strikes the removals out of the hosts file, stamps the date and rebuilds
# the file, so the new server resolves to 127.0.0.1; a second check with the site's date
# equal to today's downloads nothing. In the ad-server list editor, a server added to the
# user's list is in the hosts file after OK, and an allowed one is gone.
#   update_data.sh <staged program folder> <work folder> <site folder> <base URL>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2"
site=$3 base=$4
cp -a "$site" "$work/site"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2; site=$2/site; base=$3
  has_line() { tr -d "\r" < "$1" | grep -xF "$2" >/dev/null; }
  value_of() { grep -a "^$1=" "$2" | tr -d "\r" | cut -d= -f2; }
  host=$(echo "$base" | sed -E "s#^[a-z]+://([^/:]+).*#\1#")
  port=$(echo "$base" | sed -nE "s#^[a-z]+://[^/:]+:([0-9]+).*#\1#p"); port=${port:-80}

  # The site of this test: one new server, one removal that is in the shipped list.
  new=e2e-new-ads.example
  gone=$(awk "NR==5" "$1/../../data/adservers-default.txt")
  kept=$(awk "NR==6" "$1/../../data/adservers-default.txt")
  printf "%s\r\n" "$new" > "$out/extra.txt"
  sed -i "s/\[END\]\$//" "$site/zshared/domains.txt"
  grep -v -xF "$gone" <(tr -d "\r" < "$site/zshared/domains.txt") | sed "s/\$/\r/" > "$out/domains.txt"
  { cat "$out/domains.txt" "$out/extra.txt"; printf "[END]"; } > "$site/zshared/domains.txt"
  sed -i "s/\[END\]\$/$gone\r\n[END]/" "$site/zshared/removals.txt"
  printf "%s" "12/1/2026" > "$site/zshared/updatedate.txt"

  start_desktop
  printf "127.0.0.1 localhost\n127.0.0.2 %s\n" "$host" > /etc/hosts
  cp /etc/hosts /etc/hostsqlb
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  # The vendor site has a loopback address of its own; 127.0.0.1 stays for the web server.
  python3 -m http.server "$port" --bind 127.0.0.2 --directory "$site" 2>"$out/site-log.txt" &
  site_pid=$!
  trap "kill $site_pid 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  wait_until 30 curl -sf -o /dev/null "${base}zshared/updatedate.txt" || { echo "the site does not answer"; exit 1; }
  requests() { grep -c "GET /zshared/$1 " "$out/site-log.txt" || true; }
  before=$(requests updatedate.txt)

  "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  wait_until 60 has_line /etc/hosts "127.0.0.1 $gone" || { echo "hosts file not built from the shipped list"; exit 1; }

  # Options > Download Latest Ad Blocking Data, from the keyboard.
  download() {
    click_tray_icon 1
    window=$(wait_for_window "^Quorlen \(on ") || { echo "no settings window"; exit 1; }
    xdotool windowactivate --sync "$window" key alt+o 2>/dev/null || xdotool key --window "$window" alt+o
    wait_until 30 menu_shown || { echo "the Options menu did not open"; exit 1; }
    xdotool key d
  }
  download
  wait_until 60 has_line /etc/hosts "127.0.0.1 $new" || { echo "the new server is not in the hosts file"; exit 1; }
  import -window root "$out/after-download.png" 2>/dev/null || true
  has_line /etc/hosts "127.0.0.1 $gone" && { echo "the removed server is still blocked"; exit 1; }
  has_line /etc/hosts "127.0.0.1 $kept" || { echo "a kept server lost its line"; exit 1; }
  has_line /etc/hosts "127.0.0.2 $host" || { echo "the users own line went"; exit 1; }
  getent hosts "$new" | grep -q "^127\.0\.0\.1 " || { echo "$new does not resolve to 127.0.0.1"; exit 1; }
  expected=$(grep -c . "$out/domains.txt"); expected=$((expected - 2 + 1))
  [ "$(value_of N "$program/quorlenhosts.ini")" = "$expected" ] ||
    { echo "quorlenhosts.ini has N=$(value_of N "$program/quorlenhosts.ini"), not $expected"; exit 1; }
  grep -aq "=$gone"$'"'"'\r'"'"' "$program/removals.ini" || { echo "removals.ini lacks $gone"; exit 1; }
  today=$(date +%-m/%-d/%Y)
  [ "$(value_of DateUpdate "$program/quorlen.ini")" = "$today" ] || { echo "DateUpdate not stamped"; exit 1; }
  [ "$(requests domains.txt)" = 1 ] || { echo "domains.txt fetched $(requests domains.txt) times"; exit 1; }

  # The site now has todays date: the check finds the data current and downloads nothing.
  printf "%s" "$today" > "$site/zshared/updatedate.txt"
  download
  checked_twice() { [ "$(requests updatedate.txt)" -ge $((before + 2)) ]; }
  wait_until 30 checked_twice || { echo "no second date check"; exit 1; }
  import -window root "$out/data-current.png" 2>/dev/null || true
  # Whether the current data was downloaded again is told at the end, once the program has
  # long finished with the check.

  # The editor from the tray menu ("&Block Specific ad servers..."), driven by keyboard:
  # the first default server is allowed ("=>"), a server of the users own is added.
  allowed=$(value_of D0 "$program/quorlenhosts.ini")
  has_line /etc/hosts "127.0.0.1 $allowed" || { echo "$allowed not blocked before"; exit 1; }
  # The window is shown once its lists are loaded; its keys then come in their order.
  choose_in_tray_menu b || exit 1
  editor=$(wait_for_window "^Block or Allow all content") || { echo "no ad-server editor"; exit 1; }
  xdotool windowactivate --sync "$editor" 2>/dev/null || true
  xdotool key Down Tab space                                        # select, "=>"
  xdotool key Tab Tab Tab Tab; xdotool type --delay 20 e2e-own.example
  xdotool key Tab space                                             # "Add to List"
  import -window root "$out/editor.png" 2>/dev/null || true
  xdotool key Tab Tab Tab space                                     # OK
  wait_until 60 has_line /etc/hosts "127.0.0.1 e2e-own.example" || { echo "the added server is not blocked"; exit 1; }
  notice=$(wait_for_window "^Quorlen$") || { echo "no notice after the editor saved"; exit 1; }
  import -window root "$out/editor-saved.png" 2>/dev/null || true
  xdotool windowactivate --sync "$notice" key Return 2>/dev/null || xdotool key --window "$notice" Return
  wait_until 30 window_gone "^Quorlen$" || { echo "the notice stayed"; exit 1; }
  has_line /etc/hosts "127.0.0.1 $allowed" && { echo "the allowed server is still blocked"; exit 1; }
  grep -aq "=$allowed"$'"'"'\r'"'"' "$program/quorlenhostsexc.ini" || { echo "allowed list not saved"; exit 1; }
  end_program $pid
  [ "$(requests domains.txt)" = 1 ] || { echo "current data downloaded again"; exit 1; }
  echo "e2e data update: ok"
' update "$here" "$work" "$base"
