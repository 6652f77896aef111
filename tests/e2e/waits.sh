# Sourced by the end-to-end tests: every wait is for a condition a user could see (a window
# shown or gone, a file changed, a port answering), up to a deadline generous enough for a
# machine busy with other builds. Nothing waits a fixed time.
#   wait_until <seconds> <command>...  true once the command succeeds, false after <seconds>
#   holds_for <seconds> <command>...   true when it succeeds throughout: what must not happen
#   window_shown <title regex>         the id of a shown window of that title
#   choose_in_tray_menu <key>...       opens the tray menu, presses the keys, waits for it to close
now_us() { echo "${EPOCHREALTIME/[.,]/}"; }

wait_until() {
  local whole=${1%.*} fraction=0 end
  [[ $1 == *.* ]] && fraction=${1#*.}
  fraction=${fraction}000000
  end=$(($(now_us) + ${whole:-0} * 1000000 + 10#${fraction:0:6}))
  shift
  until "$@"; do
    (($(now_us) < end)) || return 1
    sleep 0.05
  done
}

not() { ! "$@"; }
# The caller's own fail, when it has one, tells more (a screenshot, the focused window).
declare -F fail >/dev/null || fail() { echo "FAIL: $*"; exit 1; }

holds_for() { ! wait_until "$1" not "${@:2}"; }

first_window() {  # <xdotool search options>...
  local ids
  ids=$(timeout 5 xdotool search "$@" 2>/dev/null) || return 1
  echo "${ids%%$'\n'*}"
}
window_shown() { first_window --onlyvisible --name "$1"; }
# A server that does not answer within 5 s (status 124) shows no window gone.
window_gone() {
  timeout 5 xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 1
  [ $? = 1 ]
}

# An open menu (the tray's or the menu bar's) is an override-redirect window of the program's
# taller than a line: tooltips are one line high, and the tray icon is managed by the tray.
menu_shown() {
  local id
  for id in $(timeout 5 xdotool search --onlyvisible --classname '^quorlen$' 2>/dev/null); do
    timeout 5 xwininfo -id "$id" 2>/dev/null |
      awk '/Override Redirect State: yes/ {o = 1} /Height:/ {h = $2} END {exit !(o && h >= 50)}' &&
      return 0
  done
  return 1
}

# A right-click that comes before the icon is ready is lost: it is tried again.
open_tray_menu() {
  local attempt
  for attempt in 1 2 3; do
    click_tray_icon 3 || return 1
    wait_until 10 menu_shown && return 0
  done
  echo "the tray menu did not open" >&2
  return 1
}

choose_in_tray_menu() {
  open_tray_menu || return 1
  xdotool key --delay 60 "$@"
  wait_until 20 not menu_shown || { echo "the tray menu stayed open after: $*" >&2; return 1; }
}

# What the tests do alike inside the sandbox ($program the program's folder, $out the work one).
#   start_quorlen <log> [setting]...  an earlier start on record, quorlen.ini holding the
#                                     settings, the program started; sets pid
#   start_page_server                 the loopback page server on $out/site; sets site, server,
#                                     port and base; requests in $out/requests.txt
#   start_browser <chromium|firefox> <url> <log> [public]   through the launcher, the page
#                                     server's pages taken for a public site's; sets browser_pid
start_quorlen() {
  local log=$1 setting
  shift
  [ -e /var/lib/quorlen/first-start ] || { mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start; }
  if [ $# -gt 0 ]; then
    { printf "[Settings]\r\n"; for setting; do printf "%s\r\n" "$setting"; done; } >"$program/quorlen.ini"
  fi
  "$program/quorlen" 2>"$log" &
  pid=$!
}

key_to() {
  xdotool windowactivate --sync "$1" key --clearmodifiers "${@:2}" 2>/dev/null ||
    xdotool key --window "$@"
}
has_line() { tr -d "\r" < "$1" | grep -xF "$2" >/dev/null; }

ini_value() { grep -a "^$1=" "$2" | tr -d "\r" | cut -d= -f2-; }
blocked_total() { ini_value nTotBlocked "$program/quorlen.ini"; }

start_page_server() {
  site=$out/site
  mkdir -p "$site"
  "$out/page_server" "$site" "$out/requests.txt" "$out/port.txt" >"$out/page_server.txt" 2>&1 &
  server=$!
  wait_until 30 test -s "$out/port.txt" || { echo "the page server did not start" >&2; return 1; }
  port=$(cat "$out/port.txt")
  base="http://127.0.0.1:$port"
}

requested() { grep -q "^$1" "$out/requests.txt" 2>/dev/null; }
wait_request() {
  wait_until "${2:-20}" requested "$1" && return 0
  echo "the browser never asked for $1" >&2
  cat "$out/requests.txt" >&2
  return 1
}

start_browser() {
  local browser=$1 url=$2 log=$3 public=${4:-} profile=$XDG_CONFIG_HOME/quorlen/firefox
  if [ "$browser" = chromium ]; then
    "$program/quorlen-browser" ${WAYLAND_DISPLAY:+--ozone-platform=wayland} \
      ${public:+--ip-address-space-overrides=127.0.0.1:$port=public} \
      --disable-background-networking --disable-component-update --disable-sync --no-first-run \
      --no-default-browser-check --disable-gpu --password-store=basic --window-position=0,0 \
      --window-size=1000,720 "$url" >"$log" 2>&1 &
  else
    if [ -n "$public" ]; then
      mkdir -p "$profile"
      printf 'user_pref("network.lna.address_space.public.override", "127.0.0.1:%s");\n' "$port" \
        >"$profile/prefs.js"
    fi
    ${WAYLAND_DISPLAY:+env MOZ_ENABLE_WAYLAND=1} "$program/quorlen-browser" --firefox "$url" \
      >"$log" 2>&1 &
  fi
  browser_pid=$!
}
