#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests and the monitor need.
# Only what is missing is installed; run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    libmodbus-dev
    # the metrics endpoint, and the Prometheus server and promtool its tests run
    libmicrohttpd-dev prometheus
    # MQTT publishing, and the broker, clients and certificates its tests use
    libmosquitto-dev mosquitto mosquitto-clients openssl
    fonts-noto-cjk qt6-translations-l10n
    xvfb xauth x11-utils imagemagick xdotool
    # the Debian package: its build (CPack's dependency list, stripping) and its checks
    dpkg-dev file binutils desktop-file-utils appstream groff-base
    # the autostart entry's launch by a desktop's launcher (gio)
    libglib2.0-bin
    # the desktop notifications' tests (a session bus of their own), the tray looked at under Xvfb
    dbus-daemon trayer
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
