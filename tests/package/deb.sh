#!/usr/bin/env bash
# The Debian package end to end: made by CPack, its contents checked, lintian errors fail;
# installed into a throwaway root, where its libraries resolve and a new user runs the
# browser launcher; removed, which puts the user's own hosts file back, and purged, which
# drops the saved copy only when it holds nothing the hosts file lacks.
#   deb.sh <build folder> <work folder>
set -euo pipefail
build=$(realpath "$1"); work=$2
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.txt" 2>&1 || { cat "$work/cpack.txt"; fail "cpack"; }
deb=$(ls "$work"/out/quorlen_*.deb)
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

dpkg-deb -c "$deb" | tee "$work/contents.txt"
for path in ./usr/bin/quorlen{,-browser} ./usr/libexec/quorlen/quorlen-helper \
    ./usr/lib/systemd/system/quorlen-helper.{socket,service} \
    ./usr/share/quorlen/{quorlenhosts.ini,qltitles.ini,1by1.jpg,ad.wav,pop.wav,readme.txt} \
    ./usr/share/applications/quorlen{,-browser,-firefox}.desktop \
    ./usr/share/icons/hicolor/{scalable/apps/quorlen.svg,{16x16,48x48,256x256}/apps/quorlen.png} \
    ./usr/share/doc/quorlen/{README.md,copyright,changelog.gz}; do
  grep -q " $path\$" "$work/contents.txt" || fail "the package lacks $path"
done
grep -q "^-rwsr\|^-rwxr-sr" "$work/contents.txt" && fail "a set-id file in the package"

dpkg-deb -f "$deb" Package Version Architecture Depends | tee "$work/control.txt"
for library in libc6 libstdc++6 libqt6widgets6 libqt6websockets6 libcurl4 libssl3 ca-certificates; do
  grep -q "^Depends:.*\b$library\b" "$work/control.txt" || fail "Depends lacks $library"
done

# Errors fail the test; warnings and notes are shown.
lintian --fail-on error --display-info "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt"; fail "lintian"; }
echo "lintian: $(grep -c '^E:' "$work/lintian.txt" || true) errors, $(grep -c '^W:' "$work/lintian.txt" || true) warnings"
cat "$work/lintian.txt"

# A throwaway root: the maintainer scripts run outside it with DPKG_ROOT, on its files only.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc"
touch "$root/var/lib/dpkg/status"
printf '127.0.0.1\tlocalhost\n# mine\n10.1.2.3 nas\n' >"$root/etc/hosts"
cp "$root/etc/hosts" "$root/etc/hostsqlb"
dpkg_root() { dpkg --root="$root" --force-script-chrootless --force-depends --log=/dev/null "$@"; }
dpkg_root -i "$deb" >"$work/install.txt" 2>&1 || { cat "$work/install.txt"; fail "install"; }
[ -x "$root/usr/bin/quorlen" ] && [ -x "$root/usr/libexec/quorlen/quorlen-helper" ] || fail "not installed"
missing=$(ldd "$root/usr/bin/quorlen" "$root/usr/libexec/quorlen/quorlen-helper" | grep "not found" || true)
[ -z "$missing" ] || fail "unresolved libraries: $missing"
cmp -s "$root/etc/hosts" "$root/etc/hostsqlb" || fail "installing changed the hosts file"

# The new user's road, as uid 65534 in private namespaces, the program drawn off screen.
launcher=$(PATH="$root/usr/bin:/usr/bin:/bin" command -v quorlen-browser) || fail "quorlen-browser is not on the PATH"
[ "$launcher" = "$root/usr/bin/quorlen-browser" ] || fail "quorlen-browser found at $launcher"
for entry in quorlen quorlen-browser quorlen-firefox; do
  desktop-file-validate "$root/usr/share/applications/$entry.desktop" || fail "$entry.desktop is not valid"
done
here=$(dirname "$(realpath "$0")")
# A process namespace of its own, so the browser's helper processes end with the road.
"$here/../e2e/sandbox.sh" "$work/road" unshare --pid --fork --mount-proc bash -c '
  set -euo pipefail
  root=$1 out=$2
  mkdir -p /var/lib/quorlen "$HOME/run" "$HOME/.local/share/quorlen"
  touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=True\r\nbMinimized=True\r\n" \
    >"$HOME/.local/share/quorlen/quorlen.ini"
  chown -R 65534:65534 "$HOME"; chmod 700 "$HOME/run"
  as_user() {
    setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$HOME" \
      XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" \
      XDG_STATE_HOME="$HOME/.local/state" XDG_RUNTIME_DIR="$HOME/run" \
      XDG_DATA_DIRS="$root/usr/share:/usr/share" PATH="$root/usr/bin:/usr/bin:/bin" "$@"
  }
  as_user xdg-settings set default-web-browser quorlen-browser.desktop
  [ "$(as_user xdg-settings get default-web-browser)" = quorlen-browser.desktop ] ||
    { echo "FAIL: quorlen-browser could not be made the default browser"; exit 1; }
  QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="quorlen.browsers.info=true" as_user quorlen \
    2>"$out/program.txt" &
  program=$!
  as_user quorlen-browser --headless=new --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking about:blank >"$out/browser.txt" 2>&1 &
  browser=$!
  source "$3/waits.sh"
  joined="quorlen.browsers: joined the browser of $HOME/.config/quorlen/browser"
  wait_until 60 grep -qxF "$joined" "$out/program.txt" && ok=1 || ok=0
  kill -TERM "$browser" "$program" 2>/dev/null || true
  wait "$browser" "$program" 2>/dev/null || true
  [ $ok = 1 ] || { echo "FAIL: the installed program did not join the launcher s browser"; cat "$out/program.txt"; exit 1; }
  echo "new user: quorlen-browser on the PATH, in the menu, the default browser, joined"
' road "$root" "$work" "$here/../e2e" || fail "the new user's road"

# The program blocked and kept its blocking copy, as it does at exit.
{ printf '127.0.0.1 ads.example\n127.0.0.1 track.example\n'; cat "$root/etc/hostsqlb"; } >"$root/etc/hosts"
cp "$root/etc/hosts" "$root/etc/hostsqlf"
dpkg_root -r quorlen >"$work/remove.txt" 2>&1 || { cat "$work/remove.txt"; fail "remove"; }
cat "$work/remove.txt"
cmp "$root/etc/hosts" "$root/etc/hostsqlb" || fail "the user's own hosts file is not back"
[ ! -e "$root/etc/hostsqlf" ] || fail "the blocking copy was left behind"
[ -e "$root/etc/hostsqlb" ] || fail "removal dropped the user's saved file"
[ ! -e "$root/usr/bin/quorlen" ] && [ ! -e "$root/usr/libexec/quorlen/quorlen-helper" ] || fail "files left after removal"

# Installed again, the user edits the file while blocking is on; removal keeps the edit.
dpkg_root -i "$deb" >>"$work/install.txt" 2>&1 || fail "second install"
{ printf '127.0.0.1 ads.example\n'; cat "$root/etc/hostsqlb"; printf '10.9.9.9 new.home\n'; } >"$root/etc/hosts"
dpkg_root -P quorlen >"$work/purge.txt" 2>&1 || { cat "$work/purge.txt"; fail "purge"; }
cat "$work/purge.txt"
expected=$(cat "$root/etc/hostsqlb"; printf '10.9.9.9 new.home\n')
[ "$(cat "$root/etc/hosts")" = "$expected" ] || fail "the user's edit was lost or the blocking stayed"
[ -e "$root/etc/hostsqlb" ] || fail "purge dropped a saved file that differs from the hosts file"
echo "package: ok"
