#!/usr/bin/env bash
# Builds the Debian package (programs under /usr/lib/j2-configurator, launchers, menu entry, icons,
# autostart entry, udev rule) from the plain build in build/, and prints its path.
#   scripts/package.sh
# Install it with: apt install ./build/j2-configurator_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# J2_WARNINGS_AS_ERRORS keeps what the folder was configured with: off in a packager's fresh build, so that a
# newer compiler's new warnings do not stop it; on where scripts/test.sh (CI) built the folder first.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target configurator j2-virtual-mouse update make-data-bin j2_artwork j2ctl j2ctl_docs
rm -f build/j2-configurator_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/j2-configurator_*.deb
