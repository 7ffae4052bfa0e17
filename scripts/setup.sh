#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Wexfold need, and, as root,
# the login the FTP tests use. Idempotent: does only what is missing and prints nothing when
# all is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev libgl-dev
    libcurl4-openssl-dev libssl-dev openssl
    libgtest-dev libgmock-dev libbenchmark-dev
    libcpp-httplib-dev python3 nginx-light libnginx-mod-http-echo vsftpd libpam-pwdfile
    xvfb xauth x11-utils xdotool trayer dbus desktop-file-utils fonts-wqy-microhei
    clang clang-format libclang-rt-14-dev tzdata
    libsystemd-dev systemd prometheus file lintian appstream
)

# The FTP tests log in to their own vsftpd as a virtual user: its password (the one in
# tests/fixtures/LocalServers.h) is valid only for the PAM service made here, and the system
# account it maps to has none.
ftp_login() {
    [ "$(id -u)" -eq 0 ] || return 0
    getent passwd wexfold-ftp >/dev/null ||
        useradd --system --no-create-home --home-dir / --shell /usr/sbin/nologin wexfold-ftp
    local passwords=/etc/wexfold-test-ftp.passwd service=/etc/pam.d/wexfold-test-ftp
    if [ ! -f "$passwords" ]; then
        printf 'wexfold-ftp:%s\n' "$(openssl passwd -6 'p@ss/w?rd#1: x')" >"$passwords"
        chmod 600 "$passwords"
    fi
    [ -f "$service" ] || printf '%s\n' \
        "auth required pam_pwdfile.so pwdfile=$passwords nodelay" \
        'account required pam_permit.so' 'session required pam_permit.so' >"$service"
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    ftp_login
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ftp_login
