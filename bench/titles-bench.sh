#!/usr/bin/env bash
# The title watcher's benchmarks on a virtual desktop of their own: Xvfb, openbox and an
# ordinary terminal in the foreground.
#   bench/titles-bench.sh <build folder> [seconds per idle phase, default 60]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "$1")
seconds=${2:-60}
source "$here/../tests/e2e/desktop.sh"
NO_TRAY=1 start_desktop
xterm -T "user@debian: ~/src/quorlen" -e sleep 100000 >/dev/null 2>&1 &
trap 'kill $! $desktop_pids 2>/dev/null || true' EXIT
wait_for_window "^user@debian" 10 >/dev/null
"$build/bench/titles_tick"
"$build/bench/titles_idle" "$seconds"
