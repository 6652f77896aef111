#!/usr/bin/env bash
# The Debian package end to end: made by CPack from the build, its contents listed and
# checked, lintian errors fail the test, then installed into a throwaway root, where the
# program's libraries must all resolve, and removed again: the removal puts the user's own
# hosts file back and takes the blocking copy away; the purge drops the saved copy only
# when it holds nothing the hosts file lacks.
#   deb.sh <build folder> <work folder>
set -euo pipefail
build=$(realpath "$1"); work=$2
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.txt" 2>&1 || { cat "$work/cpack.txt"; fail "cpack"; }
deb=$(ls "$work"/out/quorlen_*.deb)
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

dpkg-deb -c "$deb" | tee "$work/contents.txt"
for path in ./usr/bin/quorlen ./usr/libexec/quorlen/quorlen-helper \
    ./usr/lib/systemd/system/quorlen-helper.socket ./usr/lib/systemd/system/quorlen-helper.service \
    ./usr/share/quorlen/quorlenhosts.ini ./usr/share/quorlen/qltitles.ini \
    ./usr/share/quorlen/1by1.jpg ./usr/share/quorlen/ad.wav ./usr/share/quorlen/pop.wav \
    ./usr/share/quorlen/readme.txt ./usr/share/applications/quorlen.desktop \
    ./usr/share/icons/hicolor/scalable/apps/quorlen.svg \
    ./usr/share/icons/hicolor/16x16/apps/quorlen.png ./usr/share/icons/hicolor/48x48/apps/quorlen.png \
    ./usr/share/icons/hicolor/256x256/apps/quorlen.png ./usr/share/doc/quorlen/README.md \
    ./usr/share/doc/quorlen/copyright ./usr/share/doc/quorlen/changelog.gz; do
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

# A throwaway root: the maintainer scripts run outside it with DPKG_ROOT set, and act
# only on its files.
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
