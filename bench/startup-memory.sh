#!/usr/bin/env bash
# Start-up and memory of the staged program with both ad-server lists full (65,534 names)
# over a user's 3 MB hosts file, in a sandbox under a virtual desktop, against
#  - the same start with 10 names in each list (the difference is the start-up build),
#  - an awk pass that writes the same blocking lines over the same hosts file (the floor
#    of the build), and
#  - an empty Qt Widgets program under the same desktop (the floor of the memory).
# Starts are interleaved, full and small, `pairs` times; "written" is the time from the
# start until the hosts file has been replaced, the memory is VmRSS once idle after it.
#   bench/startup-memory.sh [build folder] [pairs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}"); pairs=${2:-3}
if [ "$(id -u)" -ne 0 ]; then echo "needs root for a private /etc"; exit 1; fi
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp -a "$build/quorlen" "$work/program"
exec "$root/tests/e2e/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  root=$1; build=$2; pairs=$3; work=$4
  source "$root/tests/e2e/desktop.sh"
  start_desktop
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  program=$work/program; probe=$build/bench/startup_probe
  # The user list: 32,767 real names beside the shipped default list.
  head -32767 "$root/tests/data/blocklist-full.txt" > "$work/user.txt"
  "$build/app/make_list_file" "$work/user.txt" "$work/userhosts-full.ini"
  cp "$program/quorlenhosts.ini" "$work/quorlenhosts-full.ini"
  head -10 "$root/data/adservers-default.txt" > "$work/ten.txt"
  "$build/app/make_list_file" "$work/ten.txt" "$work/quorlenhosts-small.ini"
  tail -10 "$work/user.txt" > "$work/ten-user.txt"
  "$build/app/make_list_file" "$work/ten-user.txt" "$work/userhosts-small.ini"
  # A user'"'"'s own 3 MB hosts file: local names, comments and another blocker s entries.
  { printf "127.0.0.1 localhost\n::1 localhost ip6-localhost\n"
    awk "{ if (NR % 5 == 0) print \"# \" \$0 \" was here\"; else print \"0.0.0.0 \" \$0 }" \
      "$root/tests/data/blocklist-full.txt" "$root/data/adservers-default.txt" |
      head -c 3145728 | sed "\$d"; } > "$work/own-hosts"

  start() {  # full|small: prints what the probe saw
    cp "$work/quorlenhosts-$1.ini" "$program/quorlenhosts.ini"
    cp "$work/userhosts-$1.ini" "$program/userhosts.ini"
    printf "[Settings]\r\nbHostsFullySet=False\r\nbBlockAdServers=True\r\n" > "$program/quorlen.ini"
    cp "$work/own-hosts" /etc/hosts; rm -f /etc/hostsqlf
    "$probe" --hosts /etc/hosts 3000 "$program/quorlen" 2>/dev/null
  }
  median() { sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }"; }

  : > "$work/full.txt"; : > "$work/small.txt"; : > "$work/awk.txt"; : > "$work/awk-cpu.txt"
  cat > "$work/awk-pass.sh" <<"PASS"
awk "{ print \"127.0.0.1 \" \$0 }" "$1" | cat - "$2" > /etc/hosts.new && mv /etc/hosts.new /etc/hosts
PASS
  for i in $(seq 1 "$pairs"); do
    start full > "$work/run.txt"; cat "$work/run.txt" >> "$work/full.txt"
    start small >> "$work/small.txt"
    cp "$work/own-hosts" /etc/hosts
    cat "$root/data/adservers-default.txt" "$work/user.txt" > "$work/names.txt"
    # The floor: its wall time, and its processor time through perf where perf works.
    begin=$(date +%s%N)
    bash "$work/awk-pass.sh" "$work/names.txt" "$work/own-hosts"
    echo "$(( ($(date +%s%N) - begin) / 1000 ))" | awk "{ print \$1 / 1000 }" >> "$work/awk.txt"
    if perf stat -x, -e task-clock -o "$work/perf.txt" \
        bash "$work/awk-pass.sh" "$work/names.txt" "$work/own-hosts" 2>/dev/null; then
      awk -F, "/task-clock/ { print \$1 }" "$work/perf.txt" >> "$work/awk-cpu.txt"
    fi
  done
  full=$(awk "/^written/ { print \$2 }" "$work/full.txt" | median)
  small=$(awk "/^written/ { print \$2 }" "$work/small.txt" | median)
  echo "start until the hosts file is written (median of $pairs, ms):" \
    "both lists full $full, 10 names each $small, difference $(awk "BEGIN { print $full - $small }")"
  fullcpu=$(awk "/^written/ { print \$4 }" "$work/full.txt" | median)
  smallcpu=$(awk "/^written/ { print \$4 }" "$work/small.txt" | median)
  echo "processor time of the program until then (median, ms): both lists full $fullcpu," \
    "10 names each $smallcpu, difference $(awk "BEGIN { print $fullcpu - $smallcpu }")"
  fullidle=$(awk "/^rss/ { print \$6 }" "$work/full.txt" | median)
  smallidle=$(awk "/^rss/ { print \$6 }" "$work/small.txt" | median)
  echo "processor time until idle (median, ms): both lists full $fullidle, 10 names each" \
    "$smallidle, difference $(awk "BEGIN { print $fullidle - $smallidle }")"
  echo "awk pass over the same names and hosts file (median, ms): wall $(median < "$work/awk.txt")," \
    "processor $(median < "$work/awk-cpu.txt")"
  echo "every start: full $(awk "/^written/ { printf \"%s \", \$2 }" "$work/full.txt")" \
    "small $(awk "/^written/ { printf \"%s \", \$2 }" "$work/small.txt")"
  echo "resident memory once idle (kB): program with both lists full" \
    "$(awk "/^rss/ { print \$2 }" "$work/full.txt" | median)" \
    "(peak $(awk "/^rss/ { print \$4 }" "$work/full.txt" | median)), with 10 names" \
    "$(awk "/^rss/ { print \$2 }" "$work/small.txt" | median)"
  echo "empty Qt Widgets program (kB): $("$probe" 3000 "$build/bench/empty_widgets" | awk "{ print \$2 }")"
' bench "$root" "$build" "$pairs" "$work"
