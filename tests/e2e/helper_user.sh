#!/usr/bin/env bash
# The program as an unprivileged desktop user, the helper as root, in a sandbox under a
# virtual desktop: the hosts file is built through the helper, a listed name is answered
# with the placeholder on port 80 and its HTTPS request refused on port 443, from the
# sockets the helper handed over, the counts go to the user's data folder; a request that
# would add a foreign address is refused and the file stays as it was; with port 443 taken
# the program says so and still blocks; with port 80 taken it says so and blocks nothing.
#   helper_user.sh <staged program folder> <work folder> <helper> <helper_request>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2"
cp "$3" "$work/quorlen-helper"; cp "$4" "$work/helper_request"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail; [ -n "${E2E_TRACE:-}" ] && set -x
  source "$1/desktop.sh"
  out=$2; program=$2/program; list=$1/../../data/adservers-default.txt
  fail() { echo "FAIL: $*"; exit 1; }
  # A private /run: the helper socket of this test is nobody else'"'"'s.
  mkdir -p "$out/run"; mount --bind "$out/run" /run
  start_desktop
  printf "127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost\n# my own line\n10.1.2.3 nas.home\n" > /etc/hosts
  chmod 0644 /etc/hosts
  cp /etc/hosts "$out/hosts-before"

  "$out/quorlen-helper" --socket /run/quorlen-helper.sock >/dev/null 2>"$out/helper.log" &
  helper=$!
  trap "kill $helper 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  wait_until 30 test -S /run/quorlen-helper.sock || fail "the helper did not listen"

  # The desktop user: nobody, with a home of its own; an earlier start kept the backup.
  user_home=$out/user; mkdir -p "$user_home/.local/state/quorlen" "$user_home/run"
  touch "$user_home/.local/state/quorlen/first-start"
  chown -R 65534:65534 "$user_home"; chmod 0700 "$user_home/run"; chmod 0755 "$out"
  cp /etc/hosts /etc/hostsqlb
  as_user() {
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH="$PATH" DISPLAY="$DISPLAY" \
      HOME="$user_home" XDG_CONFIG_HOME="$user_home/.config" XDG_DATA_HOME="$user_home/.local/share" \
      XDG_STATE_HOME="$user_home/.local/state" XDG_RUNTIME_DIR="$user_home/run" "$@"
  }
  data=$user_home/.local/share/quorlen

  as_user "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  first=$(awk "NR==1" "$list")
  wait_until 60 grep -qxF "127.0.0.1 $first" /etc/hosts || { cat "$out/stderr.txt"; fail "hosts file not built"; }
  grep -q "^uid 65534 .*write-hosts .*: ok" "$out/helper.log" || fail "no write by the helper for uid 65534"
  [ "$(stat -c %U:%a /etc/hosts)" = root:644 ] || fail "the hosts file lost its owner or mode"
  [ -f "$data/1by1.jpg" ] || fail "the user data folder was not seeded"

  wait_until 30 curl -s --http0.9 -o /dev/null "http://$first/" || fail "port 80 does not answer"
  curl -s --http0.9 -o "$out/banner.gif" "http://$first/ads/banner.gif"
  cmp "$out/banner.gif" "$program/1by1.jpg" || fail "the placeholder did not come from port 80"
  grep -q "^uid 65534 .*listen-port-80: ok" "$out/helper.log" || fail "port 80 was not handed over"
  # Nobody else has the port: the answer came from the socket the program adopted.
  [ "$(ss -Hltnp "sport = :80" | grep -c "\"quorlen\"")" -ge 1 ] || fail "port 80 not held by the program"
  if curl -sS -o /dev/null "https://$first/ads/banner.gif" 2>"$out/curl-https.txt"; then
    fail "the HTTPS request succeeded"
  fi
  grep -q "unrecognized name" "$out/curl-https.txt" || fail "HTTPS not refused: $(cat "$out/curl-https.txt")"
  grep -q "^uid 65534 .*listen-port-443: ok" "$out/helper.log" || fail "port 443 was not handed over"
  [ "$(ss -Hltnp "sport = :443" | grep -c "\"quorlen\"")" -ge 1 ] || fail "port 443 not held by the program"

  # Another local user cannot send a name to a foreign address through the helper.
  cp /etc/hosts "$out/hosts-blocking"
  { echo "10.0.0.1 bank.example"; cat /etc/hosts; } > "$out/foreign"
  chmod 0644 "$out/foreign"
  reply=$(as_user "$out/helper_request" /run/quorlen-helper.sock write-hosts "$out/foreign") || true
  case "$reply" in "error refused "*) ;; *) fail "foreign address not refused: $reply";; esac
  cmp -s /etc/hosts "$out/hosts-blocking" || fail "a refused request changed the hosts file"

  import -window root "$out/blocking.png" 2>/dev/null || true
  end_program $pid
  total=$({ grep -a "^nTotBlocked=" "$data/quorlen.ini" || true; } | tr -d "\r" | cut -d= -f2)
  [ "${total:-0}" -eq 3 ] || fail "counted ${total:-0} of 3 requests in the user data folder"
  [ ! -e "$program/quorlen.ini" ] || fail "wrote into the program folder"

  # Port 443 taken by another program: said, and blocking stays, as those requests fail.
  cp "$out/hosts-before" /etc/hosts
  "$out/helper_request" --hold-port 443 > "$out/holder443.txt" 2>&1 &
  holder=$!
  trap "kill $helper $holder 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  wait_until 30 grep -q holding "$out/holder443.txt" || fail "nothing holds port 443"
  as_user "$program/quorlen" 2>"$out/stderr-443-taken.txt" &
  pid=$!
  wait_until 30 grep -q "port 443" "$out/stderr-443-taken.txt" || true
  grep -q "Quorlen cannot answer the blocked ad servers over HTTPS: quorlen-helper: port 443 is in use by helper_request (pid $holder)" \
    "$out/stderr-443-taken.txt" || { cat "$out/stderr-443-taken.txt"; fail "port 443 in use not told"; }
  wait_until 60 grep -qxF "127.0.0.1 $first" /etc/hosts || fail "blocking stopped without port 443"
  wait_until 30 curl -s --http0.9 -o /dev/null "http://$first/" || fail "port 80 does not answer without port 443"
  curl -s --http0.9 -o "$out/banner-443-taken.gif" "http://$first/x.gif"
  cmp -s "$out/banner-443-taken.gif" "$program/1by1.jpg" || fail "port 80 not answered without port 443"
  end_program $pid
  kill $holder

  # Port 80 taken by another program: the program says so, and nothing claims blocking.
  cp "$out/hosts-before" /etc/hosts
  "$out/helper_request" --hold-port 80 > "$out/holder.txt" 2>&1 &
  holder=$!
  trap "kill $helper $holder 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  wait_until 30 grep -q holding "$out/holder.txt" || fail "nothing holds port 80"
  as_user "$program/quorlen" 2>"$out/stderr-taken.txt" &
  pid=$!
  wait_until 30 grep -q "port 80" "$out/stderr-taken.txt" || true
  grep -q "Quorlen cannot answer the blocked ad servers: quorlen-helper: port 80 is in use by helper_request (pid $holder)" \
    "$out/stderr-taken.txt" || { cat "$out/stderr-taken.txt"; fail "port 80 in use not told"; }
  click_tray_icon 1 || true
  wait_for_window "^Quorlen \(on " >/dev/null || fail "no settings window"
  import -window root "$out/port-taken.png" 2>/dev/null || true
  end_program $pid
  # Ended with its autostart entry in place, it would have kept a build it made.
  grep -q "^127\.0\.0\.1 $first" /etc/hosts && fail "the hosts file was built while nothing could answer"
  kill $holder
  grep -qxF "bBlockAdServers=False"$'"'"'\r'"'"' "$data/quorlen.ini" ||
    fail "the Block Banner Ads box still claims blocking"
  kill $helper
  echo "e2e helper and unprivileged program: ok ($total requests counted)"
' e2e "$here" "$work"
