#!/usr/bin/env bash
# Installs what is needed, builds, and starts the configurator on its built-in virtual mouse (a real mouse
# is used instead when J2_REAL_MOUSE=1). Without a display it runs for a few seconds on a private X server
# with a tray host and leaves a screenshot and its log in build/run/.
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
trap 'kill "${configurator:-}" "${trayer:-}" "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$out/display")"
trayer --edge top --align left --widthtype request --height 32 --SetDockType true >"$out/trayer.log" 2>&1 &
trayer=$!
XDG_RUNTIME_DIR="$runtime" build/dist/configurator "${arguments[@]}" >"$out/configurator.log" 2>&1 &
configurator=$!
sleep "${J2_RUN_SECONDS:-5}"
import -window root "$out/screenshot.png"
echo "The configurator ran for ${J2_RUN_SECONDS:-5} s on $DISPLAY; its log:"
cat "$out/configurator.log"
echo "Screenshot: $out/screenshot.png"
