#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made: control fields, contents, the desktop entries,
# and with --install (as root, on a machine that may change) that it installs with apt, starts from the
# menu entry's Exec= on the virtual mouse, and removes cleanly.
#   scripts/check-package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(ls build/j2-configurator_*.deb)
failed=0
passed=0
check() { # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $what" >&2
        failed=$((failed + 1))
    fi
}

field() { dpkg-deb -f "$deb" "$1"; }
check "package name" test "$(field Package)" = j2-configurator
check "architecture" test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "maintainer" test -n "$(field Maintainer)"
for dependency in libqt6quick6 libqt6quickwidgets6 libhidapi-hidraw0 libudev1 qml6-module-qtquick \
    qml6-module-qtquick-window qml6-module-qtqml-workerscript qt6-qpa-plugins; do
    check "depends on $dependency" grep -qE "(^|, )$dependency( |,|$)" <<<"$(field Depends)"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/lib/j2-configurator/configurator ./usr/lib/j2-configurator/update/update \
    ./usr/lib/j2-configurator/modules/setting/pD.bin ./usr/lib/j2-configurator/modules/setting/p1.bin \
    ./usr/lib/j2-configurator/modules/img/trayIcon.ico ./usr/lib/j2-configurator/modules/i18n/German.ini \
    ./usr/bin/j2-configurator ./usr/share/applications/j2-configurator.desktop \
    ./usr/share/icons/hicolor/scalable/apps/j2-configurator.svg \
    ./usr/share/icons/hicolor/48x48/apps/j2-configurator.png \
    ./usr/lib/udev/rules.d/70-j2-mouse.rules ./etc/xdg/autostart/j2-configurator.desktop \
    ./usr/lib/j2-configurator/j2ctl ./usr/bin/j2ctl ./usr/share/man/man1/j2ctl.1 \
    ./usr/share/bash-completion/completions/j2ctl; do
    check "contains $path" grep -qxF "$path" <<<"$contents"
done
check "nothing outside /usr and /etc" test -z "$(grep -vE '^\./(usr|etc)(/|$)|^\./$' <<<"$contents")"
check "no macro or user data shipped" test -z "$(grep -E '/modules/macro/.|\.part$|\.lock$' <<<"$contents")"

extracted=$(mktemp -d)
trap 'rm -rf "$extracted"' EXIT
dpkg-deb -x "$deb" "$extracted"
check "menu entry is valid" desktop-file-validate "$extracted/usr/share/applications/j2-configurator.desktop"
check "autostart entry is valid" desktop-file-validate "$extracted/etc/xdg/autostart/j2-configurator.desktop"
check "udev rule grants the two ids" test "$(grep -c 'TAG+="uaccess"' "$extracted/usr/lib/udev/rules.d/70-j2-mouse.rules")" = 2
check "launcher reaches the program" test -x "$extracted/usr/bin/j2-configurator"
check "j2ctl launcher reaches j2ctl" test "$(readlink "$extracted/usr/bin/j2ctl")" = ../lib/j2-configurator/j2ctl
check "man page names every command" test "$(grep -c '^\.B \(info\|profile\|dpi\|rate\|light\|export\|import\|watch\)\( \|$\)' "$extracted/usr/share/man/man1/j2ctl.1")" = 8
check "completion offers the commands" grep -q 'info profile dpi rate light export import watch' "$extracted/usr/share/bash-completion/completions/j2ctl"

if [ "${1:-}" = "--install" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb" >/dev/null
    check "installed" dpkg-query -W j2-configurator >/dev/null
    # Start what the menu starts, on a virtual mouse daemon, under a private X server, as a normal user.
    command=$(sed -n 's/^Exec=//p' /usr/share/applications/j2-configurator.desktop)
    home=$(mktemp -d)
    chmod 755 "$home"
    mkdir -m 700 "$home/run"
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" XDG_RUNTIME_DIR="$home/run")
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$extracted/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$extracted/display" ] && break; sleep 0.1; done
    "${as_user[@]}" j2-virtual-mouse serve --socket "$home/run/mouse.sock" >/dev/null 2>&1 &
    mouse=$!
    for _ in $(seq 50); do [ -S "$home/run/mouse.sock" ] && break; sleep 0.1; done
    status=0
    "${as_user[@]}" DISPLAY=":$(cat "$extracted/display")" J2_VIRTUAL_MOUSE="$home/run/mouse.sock" \
        timeout 60 $command --screenshot "$home/shot.png" >"$extracted/log" 2>&1 || status=$?
    kill "$mouse" "$xvfb" 2>/dev/null || true
    wait "$mouse" "$xvfb" 2>/dev/null || true
    check "the menu's Exec= starts the window (status $status)" test "$status" = 0 -a -s "$home/shot.png"
    check "settings seeded in the user's folder" test -f "$home/.local/share/j2-configurator/modules/setting/p1.bin"
    [ "$status" = 0 ] || cat "$extracted/log" >&2
    rm -rf "$home"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q j2-configurator >/dev/null 2>&1
    check "removed" test ! -e /usr/lib/j2-configurator -a ! -e /usr/bin/j2-configurator \
        -a ! -e /etc/xdg/autostart/j2-configurator.desktop -a ! -e /usr/share/applications/j2-configurator.desktop
fi

if [ "$failed" -ne 0 ]; then
    echo "package: $failed of $((passed + failed)) checks failed" >&2
    exit 1
fi
echo "package: all $passed checks hold"
