#!/bin/sh
# The Debian package of a build folder against the installation it was made from: the same
# files, valid desktop entry, AppStream data, units and examples, no lintian error, a launcher
# that runs.
set -eu
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(echo "$scratch"/out/wexfold_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Installed-Size Depends
dpkg -x "$deb" "$scratch/root"

# The package holds exactly what cmake --install puts under /usr.
DESTDIR="$scratch/staged" cmake --install "$build" --prefix /usr >/dev/null
sort "$build/install_manifest.txt" >"$scratch/manifest"
(cd "$scratch/root" && find . ! -type d | sed 's#^\.##' | sort) >"$scratch/packaged"
diff "$scratch/manifest" "$scratch/packaged"

root=$scratch/root/usr
desktop-file-validate "$root/share/applications/wexfold.desktop"
grep -qx 'Exec=/usr/bin/wexfold-launch' "$root/share/applications/wexfold.desktop"
grep -qx 'Icon=wexfold' "$root/share/applications/wexfold.desktop"
appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml
# Every directive of the units is known, and the system service stays hardened.
for unit in "$root"/lib/systemd/system/wexfold.service "$root"/lib/systemd/user/wexfold.service; do
    systemd-analyze security --offline=yes "$unit" >/dev/null 2>"$scratch/unit.err" || true
    if grep -E 'Unknown|Failed to parse' "$scratch/unit.err"; then exit 1; fi
done
systemd-analyze security --offline=yes --threshold=20 "$root/lib/systemd/system/wexfold.service" |
    tail -1
mkdir "$scratch/root/etc" && touch "$scratch/root/etc/passwd" "$scratch/root/etc/group"
systemd-sysusers --root="$scratch/root" wexfold.conf 2>/dev/null
grep -q '^wexfold:x:[0-9]*:[0-9]*:.*:/var/lib/wexfold:' "$scratch/root/etc/passwd"
promtool check config "$root/share/doc/wexfold/examples/prometheus.yml" >/dev/null
lintian --fail-on error --display-info "$deb" 2>/dev/null

# The unpacked launcher makes the data folder and runs the program there; with no sites the
# headless mode ends at once with status 1 and names the file it looked for.
HOME="$scratch/home" XDG_DATA_HOME='' "$root/bin/wexfold-launch" --headless 2>"$scratch/err" &&
    exit 1 || test $? -eq 1
test -d "$scratch/home/.local/share/wexfold"
grep -q siteurl "$scratch/err"
echo "package check passed"
