#!/usr/bin/env bash
# Another user of the machine against the helper (as root) and the program of the desktop
# user "desk" (uid 4242, at seat0 in logind's records in a private /run), which blocks
# through the helper. As uid 65534 the attacker tries to send a name elsewhere, keep a
# copy, take a port, stall the helper and keep the program from starting: every attempt
# fails while desk's blocking works. A stopped helper is told once the program has waited;
# with no helper at start the program waits, tells it, and blocks once the helper comes.
#   helper_user.sh <staged program folder> <work folder> <helper> <helper_request>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
needs dbus-daemon
needs_atspi
prepare_work "$1" "$2" "$3" "$4"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  here=$1 out=$2
  source "$here/desktop.sh"
  source "$here/windows_lib.sh"
  program=$out/program probe=$here/where.py list=$here/../../data/adservers-default.txt
  request=$out/helper_request sock=/run/quorlen-helper.sock

  # A private /run, with logind'"'"'s records of who sits at the machine.
  mkdir -p "$out/sysrun"; mount --bind "$out/sysrun" /run
  mkdir -p /run/systemd/seats /run/systemd/sessions
  printf "ACTIVE=c1\nACTIVE_UID=4242\nSESSIONS=c1\nUIDS=4242\n" > /run/systemd/seats/seat0
  printf "UID=4242\nUSER=desk\nACTIVE=1\nSTATE=active\nREMOTE=0\nTYPE=x11\nCLASS=user\nSEAT=seat0\n" \
    > /run/systemd/sessions/c1
  echo "desk:x:4242:4242:Desk:$out/desk/home:/bin/sh" >> /etc/passwd
  echo "desk:x:4242:" >> /etc/group

  chmod 0755 "$out"
  for user in desk:4242 nobody:65534; do
    name=${user%:*} id=${user#*:}
    mkdir -p "$out/$name/home/.local/state/quorlen" "$out/$name/home/.local/share/quorlen" \
      "$out/$name/run"
    touch "$out/$name/home/.local/state/quorlen/first-start"
    printf "[Settings]\r\nbBlockAdServers=True\r\nbBlockIEPopups=False\r\n" \
      > "$out/$name/home/.local/share/quorlen/quorlen.ini"
    chown -R "$id:$id" "$out/$name"; chmod 0700 "$out/$name/home" "$out/$name/run"
  done
  # In a subshell or the background (then $! is the command itself): it execs.
  as() {
    local id=$1 name=$2; shift 2
    exec setpriv --reuid="$id" --regid="$id" --clear-groups env -i PATH="$PATH" DISPLAY="$DISPLAY" \
      HOME="$out/$name/home" XDG_CONFIG_HOME="$out/$name/home/.config" \
      XDG_DATA_HOME="$out/$name/home/.local/share" XDG_STATE_HOME="$out/$name/home/.local/state" \
      XDG_CACHE_HOME="$out/$name/home/.cache" XDG_RUNTIME_DIR="$out/$name/run" \
      DBUS_SESSION_BUS_ADDRESS="${bus:-}" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
  }
  as_desk() { as 4242 desk "$@"; }
  as_other() { as 65534 nobody "$@"; }
  desk_run=$out/desk/run data=$out/desk/home/.local/share/quorlen

  start_desktop
  # The desktop user'"'"'s session bus, with the accessibility bus the probe reads.
  (as_desk dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$out/bus" 4>"$out/bus.pid")
  bus=$(head -1 "$out/bus")
  desktop_pids="$desktop_pids $(head -1 "$out/bus.pid")"
  trap "kill \$desktop_pids \${helper:-} \${pid:-} \${squatter:-} \${PROBE_PID:-} 2>/dev/null || true" EXIT
  (as_desk /usr/bin/python3 "$probe" 1 >/dev/null 2>&1) || true
  start_probe() {
    coproc PROBE { as_desk /usr/bin/python3 "$probe" "$pid"; }
    exec 8>&"${PROBE[1]}" 9<&"${PROBE[0]}"
  }

  printf "127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost\n# my own lines\n10.0.0.5 intranet.example\n127.0.0.1 printer.lan\n" \
    > /etc/hosts
  chmod 0644 /etc/hosts
  cp /etc/hosts /etc/hostsqlb
  "$out/quorlen-helper" --socket "$sock" >/dev/null 2>"$out/helper.log" &
  helper=$!
  wait_until 5 test -S "$sock" || fail "the helper made no socket"

  # Before the program starts the attacker holds the name that once kept one copy running, and
  # connections that drip a byte a second, as a hung program of desk does; each prints its bytes.
  cat > "$out/drip.py" <<"PY"
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
s.settimeout(1)
sent, reply = 0, b""
for byte in b"QLH1 write-hosts 10\n":
    try:
        reply = s.recv(200)
        break
    except socket.timeout:
        try:
            s.send(bytes([byte]))
        except (BrokenPipeError, ConnectionResetError):
            break  # the helper gave up between two bytes: its reply waits to be read
        sent += 1
s.settimeout(30)
print("after %d bytes: %s" % (sent, (reply or s.recv(200)).decode().strip()))
PY
  as_other /usr/bin/python3 -c "import socket, time
s = socket.socket(socket.AF_UNIX); s.bind(\"\\0quorlen.single-instance.4242\"); s.listen(); time.sleep(300)" &
  squatter=$!
  drips=""
  for n in 1 2 3 4 5 6; do
    as_other /usr/bin/python3 "$out/drip.py" "$sock" > "$out/drip-other-$n.txt" &
    drips="$drips $!"
  done
  as_desk /usr/bin/python3 "$out/drip.py" "$sock" > "$out/drip-desk.txt" &
  drips="$drips $!"

  as_desk "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  first=$(awk "NR==1" "$list")
  answered() { curl -s --http0.9 -o /dev/null "http://$first/"; }
  wait_until 15 grep -qxF "127.0.0.1 $first" /etc/hosts || { cat "$out/stderr.txt"; fail "hosts file not built"; }
  wait_until 10 answered || fail "port 80 does not answer"
  curl -s --http0.9 -o "$out/banner.gif" "http://$first/ads/banner.gif"
  cmp "$out/banner.gif" "$program/1by1.jpg" || fail "the placeholder did not come from port 80"
  grep -q "^uid 4242 .*write-hosts .*: ok" "$out/helper.log" || fail "no write for desk"
  grep -q "^uid 4242 .*listen-port-80: ok" "$out/helper.log" || fail "port 80 was not handed to desk"
  if curl -sS -o /dev/null "https://$first/ads/banner.gif" 2>"$out/curl-https.txt"; then
    fail "the HTTPS request succeeded"
  fi
  grep -q "unrecognized name" "$out/curl-https.txt" || fail "HTTPS not refused: $(cat "$out/curl-https.txt")"
  grep -q "^uid 4242 .*listen-port-443: ok" "$out/helper.log" || fail "port 443 was not handed to desk"
  [ "$(stat -c %U:%a /etc/hosts)" = root:644 ] || fail "the hosts file lost its owner or mode"
  wait $drips
  grep -q "error timeout no complete request within 2000 ms" "$out/drip-desk.txt" ||
    fail "a hung client of desk was not cut off: $(cat "$out/drip-desk.txt")"
  for n in 1 2 3 4 5 6; do
    grep -q "^after 0 bytes: error not-allowed .*uid 65534 is not" "$out/drip-other-$n.txt" ||
      fail "the attacker held a connection: $(cat "$out/drip-other-$n.txt")"
  done

  # Every request of the attacker is refused before a byte of it is read (each verb: the helper
  # tests), and nothing changes; desk'"'"'s are judged by the rule of blocking changes (its tests).
  cp /etc/hosts "$out/hosts-blocking"
  { echo "127.0.0.1 intranet.example"; cat /etc/hosts; } > "$out/shadow"
  chmod 0644 "$out/shadow"
  for attempt in "write-hosts shadow" "write-full-copy shadow" "listen-port-443"; do
    set -- $attempt
    reply=$(as_other "$request" "$sock" "$1" ${2:+"$out/$2"}) || true
    case "$reply" in "error not-allowed serves only the user of the active local session; uid 65534 is not"*) ;;
      *) fail "$attempt as uid 65534: $reply";; esac
  done
  cmp -s /etc/hosts "$out/hosts-blocking" || fail "a refused request changed the hosts file"
  [ "$(grep -c "^uid 65534 .*connection refused before its request: not-allowed" "$out/helper.log")" -ge 9 ] ||
    fail "the refusals were not logged"
  # A line the administrator adds while the program blocks, which no exit may lose.
  echo "10.9.9.9 admin.lan" >> /etc/hosts
  cp /etc/hosts "$out/hosts-blocking"

  # The squatted name did not keep the program from starting, and its lock is desk'"'"'s alone.
  kill -0 $pid || fail "the program did not start"
  (as_other bash -c "exec 3>>\"$desk_run/quorlen/single-instance.lock\"") 2>/dev/null &&
    fail "the attacker reached the single-instance lock"
  (as_desk timeout 10 "$program/quorlen" 2>/dev/null) || fail "a second copy of desk did not end by itself"
  kill $squatter

  start_probe
  show_settings >/dev/null

  # A stopped helper: the program tells why once it has waited.
  kill -STOP $helper
  click "check box" "Ad Blocking"
  click "check box" "Block Banner Ads (blocks the list of known ad servers)"
  wait_until 15 grep -qF "Quorlen could not change the hosts file: quorlen-helper did not answer within 10 s" \
    "$out/stderr.txt" || fail "the stopped helper was not told: $(cat "$out/stderr.txt")"
  kill -CONT $helper
  wait_until 5 grep -q "not done, the client no longer waits" "$out/helper.log" || fail "the late request was not dropped"
  cmp -s /etc/hosts "$out/hosts-blocking" || fail "the helper did a request its client gave up"

  # Blocking again, then exit without the start-up shortcut: the saved copy would roll back
  # the administrator'"'"'s line, so the listed servers are taken out instead.
  handed=$(grep -c "listen-port-80: ok" "$out/helper.log")
  click "check box" "Block Banner Ads (blocks the list of known ad servers)"
  handed_again() { [ "$(grep -c "listen-port-80: ok" "$out/helper.log")" -gt "$handed" ]; }
  wait_until 10 handed_again || fail "blocking did not come back"
  click "check box" "Startup"
  click "check box" "Start Quorlen when Windows Starts"
  end_program $pid
  grep -qxF "127.0.0.1 $first" /etc/hosts && fail "the listed servers stayed after exit"
  for line in "10.9.9.9 admin.lan" "10.0.0.5 intranet.example" "127.0.0.1 printer.lan"; do
    grep -qxF "$line" /etc/hosts || fail "exit lost \"$line\""
  done

  # No helper at start, the blocking lines left (a reboot without systemd): told where the user
  # looks, nothing answered is claimed, and the helper'"'"'s start brings blocking back by itself.
  kill $helper; wait $helper 2>/dev/null || true; rm -f "$sock"
  cp "$out/hosts-blocking" /etc/hosts
  as_desk "$program/quorlen" 2>"$out/stderr-no-helper.txt" &
  pid=$!
  wait_until 10 grep -q "stays switched on" "$out/stderr-no-helper.txt" && grep -qF "Quorlen cannot answer the blocked ad servers: quorlen-helper does not answer on $sock" \
    "$out/stderr-no-helper.txt" || fail "the missing helper was not told: $(cat "$out/stderr-no-helper.txt")"
  # The tray message, like a menu, is a tall override-redirect window of the program.
  wait_until 5 menu_shown || fail "the missing helper was not told in a tray message"
  curl -s --http0.9 -m 2 -o /dev/null "http://$first/" && fail "port 80 answered without the helper"
  "$out/quorlen-helper" --socket "$sock" >/dev/null 2>>"$out/helper.log" &
  helper=$!
  wait_until 20 answered || fail "port 80 did not come back with the helper"
  curl -s --http0.9 -o "$out/banner-back.gif" "http://$first/ads/back.gif"
  cmp -s "$out/banner-back.gif" "$program/1by1.jpg" || fail "blocking did not come back with the helper"
  # The hosts file is built once port 80 is had.
  wait_until 10 grep -qF "quorlen-helper answers again" "$out/stderr-no-helper.txt" || fail "the return was not told"
  end_program $pid
  grep -qxF "bBlockAdServers=True"$'"'"'\r'"'"' "$data/quorlen.ini" ||
    fail "the missing helper unticked the Block Banner Ads box"
  echo "e2e helper against another user: every attempt of uid 65534 failed, desk kept blocking"
' e2e "$here" "$work"
