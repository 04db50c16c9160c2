#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: packages already present are not touched, and apt-get runs only when one is missing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build ccache g++ clang clang-format libclang-rt-14-dev pkg-config
    # test and benchmark frameworks
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # core libraries
    libsqlite3-dev sqlite3 mdbtools-dev libglib2.0-dev rapidjson-dev
    # user interface
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-serialport-dev qt6-translations-l10n
    # desktop actions: keys, display modes, power (D-Bus)
    libx11-dev libxtst-dev libxrandr-dev libxcvt-dev libdbus-1-dev dbus-daemon
    # X11 tests and screenshots
    xvfb xauth x11-utils xdotool fonts-wqy-zenhei
    # Wayland tests: GNOME's compositor and KDE's (both run without a screen), KDE's display
    # tool, and the Qt Wayland plugins of the test window (Qt 6) and of that tool (Qt 5)
    mutter qt6-wayland kwin-wayland libkf5screen-bin qtwayland5
    # the Debian package: CPack's dependency scan, and its checks
    dpkg-dev file lintian
    # the fleet test
    ansible-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
