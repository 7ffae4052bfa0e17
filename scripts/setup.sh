#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Wexfold need.
# Idempotent: installs only what is missing and prints nothing when all is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev libgl-dev
    libcurl4-openssl-dev libssl-dev openssl
    libgtest-dev libgmock-dev libbenchmark-dev
    libcpp-httplib-dev python3 python3-pyftpdlib
    xvfb xauth x11-utils xdotool trayer dbus desktop-file-utils fonts-wqy-microhei
    clang libclang-rt-14-dev tzdata
    libsystemd-dev systemd prometheus file lintian appstream
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
