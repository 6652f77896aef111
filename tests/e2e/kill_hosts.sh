#!/usr/bin/env bash
# SIGKILL to a writer of the hosts file during builds and removals of the default list,
# then a start as the program's: the hosts file is always a complete version, the user's own
# or the blocking one, and no temporary file is left. Once renamed over, once bind-mounted
# as in containers (rewritten in place), there also at the instants a kill hurts most.
#   kill_hosts.sh <hosts_cycle program> <names list> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
if [ "$(id -u)" -ne 0 ]; then echo "needs root for a private /etc"; exit 77; fi
cycle=$(realpath "$1"); names=$(realpath "$2"); work=$3
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  cycle=$1; names=$2; out=$3
  source "$4/waits.sh"
  printf "127.0.0.1 localhost\n::1 localhost ip6-localhost\n# own\n10.0.0.7 nas\n" > "$out/own"
  # The blocking version: every listed name first, then the user'"'"'s lines.
  { awk "{print \"127.0.0.1 \" \$0}" "$names"; cat "$out/own"; echo; } > "$out/blocking"
  own=$(sha256sum < "$out/own"); blocking=$(sha256sum < "$out/blocking")

  # After a kill, the next start: a complete version ("own" or "blocking"), no file left.
  started_again() {
    "$cycle" --start /etc/hosts > /dev/null
    local now left
    now=$(sha256sum < /etc/hosts)
    left=$(find /etc -maxdepth 1 -name ".hosts.*" | wc -l)
    if [ "$left" -ne 0 ]; then
      echo "$1: files of a write left after the start: $(ls -a /etc | grep "^\.hosts\.")" >&2
      return 1
    fi
    if [ "$now" = "$own" ]; then echo own
    elif [ "$now" = "$blocking" ]; then echo blocking
    else
      echo "$1: the hosts file is neither complete version ($(stat -c %s /etc/hosts) bytes)" >&2
      cp /etc/hosts "$out/broken"; return 1
    fi
  }

  # At least 20 kills, and on until both versions were met (at most 60): kills inside the work.
  random_kills() {
    local kind=$1 owns=0 blockings=0 round=0 found
    while [ "$round" -lt 20 ] || { [ "$round" -lt 60 ] && { [ "$owns" = 0 ] || [ "$blockings" = 0 ]; }; }; do
      round=$((round + 1))
      "$cycle" /etc/hosts "$names" &
      local pid=$!
      sleep "0.$(printf %03d $((50 + RANDOM % 350)))"  # the random instant of the kill
      kill -9 $pid; wait $pid 2>/dev/null || true
      found=$(started_again "$kind, round $round")
      [ "$found" = own ] && owns=$((owns + 1)) || blockings=$((blockings + 1))
    done
    echo "$kind: $round kills at random moments, always complete after the start:" \
      "$owns times the own version, $blockings times the blocking one"
    [ "$owns" -gt 0 ] && [ "$blockings" -gt 0 ]
  }

  # Odd writes build, even ones take the lines out. A kill before the target is touched leaves
  # the version before that write, any later one the version the write was making.
  exact_kills() {
    local step=$1 n found before after expect
    for n in 1 2 3 4; do
      cp "$out/own" /etc/hosts
      timeout 60 "$cycle" /etc/hosts "$names" "$step" "$n" || true
      if [ $((n % 2)) -eq 1 ]; then before=own; after=blocking; else before=blocking; after=own; fi
      [ "$step" = temporary-written ] && expect=$before || expect=$after
      found=$(started_again "killed at $step of write $n")
      [ "$found" = "$expect" ] ||
        fail "killed at $step of write $n: the $found version after the start, not the $expect one"
    done
    echo "in place: killed at $step of writes 1 to 4, each time the expected version after the start"
  }

  cp "$out/own" /etc/hosts
  random_kills "renamed over"

  cp "$out/own" "$out/bound"
  mount --bind "$out/bound" /etc/hosts
  touch /etc/.probe
  perl -e "exit(rename(\$ARGV[0], \$ARGV[1]) ? 0 : 1)" /etc/.probe /etc/hosts &&
    fail "the bind mount did not make /etc/hosts a mount point"
  rm -f /etc/.probe
  random_kills "bind-mounted"
  for step in temporary-written pending-copy-made target-opened target-written; do
    exact_kills "$step"
  done
' kill "$cycle" "$names" "$work" "$here"
