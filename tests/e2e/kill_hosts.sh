#!/usr/bin/env bash
# Kills a writer of the hosts file with SIGKILL at random moments, 100 times, during
# builds and removals of the full default list: the file is always complete, either the
# user's own version or the blocking one, never a mixture or a truncated file.
#   kill_hosts.sh <hosts_cycle program> <names list> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
if [ "$(id -u)" -ne 0 ]; then echo "needs root for a private /etc"; exit 77; fi
cycle=$(realpath "$1"); names=$(realpath "$2"); work=$3
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  cycle=$1; names=$2; out=$3
  printf "127.0.0.1 localhost\n::1 localhost ip6-localhost\n# own\n10.0.0.7 nas\n" > /etc/hosts
  cp /etc/hosts "$out/own"
  # The blocking version, made once by a run that is let finish its first write.
  { cat <(awk "{print \"127.0.0.1 \" \$0}" "$names") "$out/own"; echo; } > "$out/blocking"
  own=$(sha256sum < "$out/own"); blocking=$(sha256sum < "$out/blocking")
  owns=0; blockings=0
  for round in $(seq 1 100); do
    "$cycle" /etc/hosts "$names" &
    pid=$!
    sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
    kill -9 $pid; wait $pid 2>/dev/null || true
    now=$(sha256sum < /etc/hosts)
    [ "$now" = "$own" ] && owns=$((owns + 1))
    [ "$now" = "$blocking" ] && blockings=$((blockings + 1))
    if [ "$now" != "$own" ] && [ "$now" != "$blocking" ]; then
      echo "round $round: the hosts file is neither complete version"; cp /etc/hosts "$out/broken"; exit 1
    fi
  done
  leftovers=$(ls -a /etc | grep -c "^\.hosts" || true)
  echo "kill test: 100 kills, the hosts file always complete: $owns times the own version," \
    "$blockings times the blocking one ($leftovers temporary files left)"
  # Both versions must have been met, or the kills never fell inside the work.
  [ "$owns" -gt 0 ] && [ "$blockings" -gt 0 ]
' kill "$cycle" "$names" "$work"
