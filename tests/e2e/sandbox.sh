#!/usr/bin/env bash
# Runs a command as on a machine of its own, never touching the real /etc, /var/lib or
# network: private mount and network namespaces, a copy of /etc over /etc (the hosts file
# and its copies), an empty /var/lib, its own home and runtime folders (the single-instance
# lock) and loopback up. Each X server takes display :0 of its own network namespace, so
# the X socket folder is private too: a shared one would let one server replace another's.
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
