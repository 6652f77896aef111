#!/usr/bin/env bash
# Runs a command as the program would run on a machine of its own: in private mount and
# network namespaces, with a private copy of /etc over /etc (so the hosts file and its
# copies live in the copy), an empty /var/lib, its own home and runtime folders (so the
# single-instance lock is this sandbox's own), its own X socket folder and loopback up.
# Each sandbox's X server takes display :0 of its own network namespace; a shared socket
# folder would let one desktop's server replace or remove the other's socket.
# The machine's real /etc, /var/lib and network are never touched.
#   sandbox.sh <work-folder> <command> [args...]
set -euo pipefail
work=$(realpath "$1"); shift
mkdir -p "$work/etc" "$work/home" "$work/varlib" "$work/run"
chmod 0700 "$work/run"
exec unshare --mount --net --fork -- bash -c '
  set -euo pipefail
  work=$1; shift
  mount --make-rprivate /
  cp -a /etc/. "$work/etc/"
  mount --bind "$work/etc" /etc
  mount --bind "$work/varlib" /var/lib
  mkdir -p /tmp/.X11-unix
  mount -t tmpfs -o mode=1777 x11 /tmp/.X11-unix
  ip link set lo up 2>/dev/null || true
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_STATE_HOME="$work/home/.local/state" \
    XDG_RUNTIME_DIR="$work/run"
  exec "$@"
' sandbox "$work" "$@"
