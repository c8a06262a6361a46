#!/usr/bin/env bash
# Runs a command on a machine where the virtual J2 mouse is attached through the real HID stack: in a private
# mount and network namespace, /dev and /sys are rebuilt from the machine's own entries plus the emulated
# mouse (j2-hidraw-mouse: FUSE hidraw nodes with their sysfs entries), so the unmodified hidapi library finds
# and opens /dev/hidraw0 as it would a mouse on USB. Nothing outside the namespace changes.
#
#   scripts/with-hidraw-mouse.sh [MOUSE OPTIONS] -- COMMAND [ARGUMENTS]
#   e.g. sudo --preserve-env=DISPLAY,XAUTHORITY scripts/with-hidraw-mouse.sh -- build/dist/configurator
#   (started with sudo, the command runs as the user who asked; the mouse and the namespace need root)
#
# MOUSE OPTIONS go to j2-hidraw-mouse (--wire-log FILE, --state FILE, --encode, --node-mode 0600, ...);
# --socket PATH chooses its control socket (default $XDG_RUNTIME_DIR/j2-hidraw-mouse.sock), which
# `j2-virtual-mouse ctl --socket PATH press-dpi|unplug|plug|dump|...` drives from any terminal. --no-mouse
# prepares the namespace only (the tests start the mouse themselves). Needs root, or unprivileged user
# namespaces and a /dev/fuse open to the user. Exit status 77 when FUSE or namespaces are missing.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ -z "${J2_HIDRAW_INSIDE:-}" ]; then
    if [ ! -c /dev/fuse ]; then
        echo "SKIP: /dev/fuse is missing; the emulated hidraw mouse needs FUSE" >&2
        exit 77
    fi
    namespace=(unshare --mount --net --propagation private)
    [ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --mount --net --propagation private)
    if ! "${namespace[@]}" true 2>/dev/null; then
        echo "SKIP: cannot make a private mount and network namespace (${namespace[*]})" >&2
        exit 77
    fi
    exec "${namespace[@]}" env J2_HIDRAW_INSIDE="$(readlink /proc/self/ns/net)" bash "${BASH_SOURCE[0]}" "$@"
fi

start_mouse=1
socket="${XDG_RUNTIME_DIR:-}"
mouse_options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    case "$1" in
        --no-mouse) start_mouse=0 ;;
        --socket) socket="$2"; shift ;;
        *) mouse_options+=("$1") ;;
    esac
    shift
done
[ "${1:-}" = "--" ] && shift
if [ $# -eq 0 ]; then
    echo "usage: $0 [MOUSE OPTIONS] -- COMMAND [ARGUMENTS]" >&2
    exit 2
fi

stage="$(mktemp -d /tmp/j2-hidraw.XXXXXX)"
mount -t tmpfs -o mode=0700 j2-hidraw-stage "$stage"
cleanup() {
    umount -l "$stage" 2>/dev/null || true
    rmdir "$stage" 2>/dev/null || true
}
trap cleanup EXIT

# Covers `folder` with a tmpfs that holds the machine's entries again (bound, so devices, pseudo files and
# submounts behave as before), except the names matching the patterns given, which the caller fills itself.
rebuild() {
    local folder="$1"; shift
    local kept="$stage/kept${folder//\//_}"
    mkdir -p "$kept"
    mount --rbind "$folder" "$kept"
    mount -t tmpfs -o mode=0755 j2-hidraw "$folder"
    local entry name skip
    for entry in "$kept"/* "$kept"/.[!.]*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        name="${entry##*/}"
        # shellcheck disable=SC2053 # the names to leave out are patterns
        for skip in "$@"; do [[ "$name" == $skip ]] && continue 2; done
        if [ -L "$entry" ]; then
            cp -P "$entry" "$folder/$name"
        elif [ -d "$entry" ]; then
            mkdir -p "$folder/$name" && mount --rbind "$entry" "$folder/$name"
        else
            touch "$folder/$name" && mount --bind "$entry" "$folder/$name"
        fi
    done
}

# The machine's own hidraw nodes stay outside: in here the emulated mouse is the only HID device.
rebuild /dev 'hidraw*'
rebuild /sys/class hidraw
rebuild /sys/devices
rebuild /sys/bus
mkdir -p /sys/class/hidraw /sys/bus/usb /sys/bus/hid
# libudev hands udev events to its monitors only where udevd runs, which it tells by this socket. The
# namespace's own udevd is j2-hidraw-mouse, which announces its devices in udev's format.
if [ ! -e /run/udev/control ]; then
    rebuild /run udev
    mkdir -p /run/udev
    touch /run/udev/control
fi
# The mark tells j2-hidraw-mouse it is in here, and names the machine's network namespace, where it must
# never announce a device.
echo "$J2_HIDRAW_INSIDE" > /dev/.j2-hidraw-namespace
# libudev checks that a device lives on sysfs; ours live on tmpfs. This is libudev's own switch for that.
export SYSTEMD_DEVICE_VERIFY_SYSFS=0
# Our programs talk to the hidraw node, not to a virtual mouse daemon.
unset J2_VIRTUAL_MOUSE

# Started with sudo, the command runs as the user who asked, with their home: the node is open to them as a
# mouse with the udev rule is.
run_as=()
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_UID:-}" ] && [ "$SUDO_UID" != 0 ]; then
    run_as=(setpriv --reuid="$SUDO_UID" --regid="$SUDO_GID" --init-groups --)
    export HOME="$(getent passwd "$SUDO_UID" | cut -d: -f6)"
fi

if [ "$start_mouse" -eq 0 ]; then
    "${run_as[@]}" "$@"
    exit $?
fi

mouse_program="${J2_HIDRAW_MOUSE:-$here/../build/dist/j2-hidraw-mouse}"
if [ -z "$socket" ]; then
    # Outside the namespace too, so that `ctl` works from another terminal.
    socket_folder="$(mktemp -d /tmp/j2-hidraw-mouse.XXXXXX)"
    socket="$socket_folder/j2-hidraw-mouse.sock"
    trap 'cleanup; rm -rf "$socket_folder"' EXIT
elif [ -d "$socket" ]; then
    socket="$socket/j2-hidraw-mouse.sock"
fi
"$mouse_program" --socket "$socket" "${mouse_options[@]}" > "$stage/mouse.log" 2>&1 &
mouse_pid=$!
for _ in $(seq 100); do
    grep -q "serving" "$stage/mouse.log" 2>/dev/null && break
    kill -0 "$mouse_pid" 2>/dev/null || break
    sleep 0.1
done
cat "$stage/mouse.log" >&2
if ! grep -q "serving" "$stage/mouse.log"; then
    echo "with-hidraw-mouse: the mouse did not start" >&2
    kill "$mouse_pid" 2>/dev/null || true
    exit 1
fi
echo "with-hidraw-mouse: drive it with: j2-virtual-mouse ctl --socket $socket press-dpi|unplug|plug|dump" >&2
status=0
"${run_as[@]}" "$@" || status=$?
kill "$mouse_pid" 2>/dev/null || true
wait "$mouse_pid" 2>/dev/null || true
exit "$status"
