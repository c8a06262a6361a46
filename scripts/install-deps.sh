#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build, run and test. Run as root (or via sudo).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    clang libclang-rt-14-dev
    qt6-base-dev qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
    qml6-module-qtquick qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript
    qml6-module-qtquick-window qml6-module-qttest
    libhidapi-dev libudev-dev libxcb-xinput-dev
    libglib2.0-dev libx11-dev gsettings-desktop-schemas
    xvfb trayer xdotool imagemagick x11-utils
    weston qt6-wayland dbus-daemon
    fuse3 libfuse3-dev util-linux
    dpkg-dev desktop-file-utils
    g++-mingw-w64-x86-64-posix
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
