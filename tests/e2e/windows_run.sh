# Sourced, after work.sh, by the window tests that start with the program blocking ad
# servers and its settings window open.
#   run_windows_test <name> <staged program folder> <work folder> <data folder> <body>
# Skips the test (exit 77) without what the accessibility probe needs; otherwise runs the
# body, a bash script, in the sandbox under a virtual desktop with the accessibility bus,
# the recording stand-ins and the program ($pid) blocking with one ad blocked ($first),
# its settings window shown ($settings). The body also sees $here, $out (the work folder),
# $data, $program and $probe, and every function of desktop.sh and windows_lib.sh.
run_windows_test() {
  local name=$1 staged=$2 folder=$3 data=$4 body=$5
  command -v dbus-run-session >/dev/null || { echo "needs dbus-run-session"; exit 77; }
  /usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "needs python3-pyatspi"; exit 77; }
  prepare_work "$staged" "$folder"
  exec "$here/sandbox.sh" "$work" dbus-run-session -- bash -c '
    set -euo pipefail
    here=$1 out=$2 data=$3
    program=$out/program probe=$here/where.py
    source "$here/desktop.sh"
    source "$here/windows_lib.sh"
    start_desktop
    start_accessibility
    set_up_stand_ins "$out"
    start_blocking "$data"
    settings=$(show_settings)
    eval "$4"
  ' "$name" "$here" "$work" "$data" "$body"
}
