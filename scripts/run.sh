#!/usr/bin/env bash
# Installs what is needed, builds, and starts the configurator on its built-in virtual mouse (a real mouse
# is used instead when J2_REAL_MOUSE=1). Without a display it starts on a private X server with a tray
# host, saves its window once started (--screenshot) and leaves the picture and its log in build/run/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target configurator j2-virtual-mouse j2_artwork

arguments=(--virtual-mouse)
[ "${J2_REAL_MOUSE:-0}" = 1 ] && arguments=()

if [ -n "${DISPLAY:-}" ]; then
    exec build/dist/configurator "${arguments[@]}"
fi

out=build/run
mkdir -p "$out"
runtime=$(mktemp -d)
chmod 700 "$runtime"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.log" &
xvfb=$!
trap 'kill "${trayer:-}" "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$out/display")"
trayer --edge top --align left --widthtype request --height 32 --SetDockType true >"$out/trayer.log" 2>&1 &
trayer=$!
status=0
XDG_RUNTIME_DIR="$runtime" timeout 60 build/dist/configurator "${arguments[@]}" --screenshot "$out/screenshot.png" \
    >"$out/configurator.log" 2>&1 || status=$?
echo "The configurator started on $DISPLAY; its log:"
cat "$out/configurator.log"
if [ "$status" -ne 0 ]; then
    echo "No screenshot: the configurator ended with status $status." >&2
    exit "$status"
fi
echo "Screenshot of its window: $out/screenshot.png"
