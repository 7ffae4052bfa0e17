#!/bin/sh
# Installs the build into a temporary prefix and checks what the desktop needs: the program,
# the launcher, a valid desktop entry and the icon in every size; then starts the installed
# launcher once and checks that it made the data folder and ran in it.
set -eu
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/wexfold"
test -x "$prefix/bin/wexfold-launch"
desktop-file-validate "$prefix/share/applications/wexfold.desktop"
for size in 16 32 48 128; do
    test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/wexfold.png"
done
grep -qx "Exec=$prefix/bin/wexfold-launch" "$prefix/share/applications/wexfold.desktop"
grep -q '^Icon=wexfold$' "$prefix/share/applications/wexfold.desktop"

# --headless in a folder without sites ends at once and names the file it looked for.
status=0
HOME="$home" XDG_DATA_HOME= "$prefix/bin/wexfold-launch" --headless 2>"$home/err" || status=$?
test "$status" -eq 1
test -d "$home/.local/share/wexfold"
grep -q siteurl "$home/err"
echo "install check passed"
