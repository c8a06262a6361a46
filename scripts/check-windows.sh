#!/usr/bin/env bash
# The Windows adapters that call Win32 directly are kept free of Qt; a MinGW-w64 cross compiler checks that
# they compile against the real Windows headers, with the GCC warnings of cmake/J2Warnings.cmake as errors (a
# developer and CI check, like scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++)
for file in platform/windows/win32_*.cpp; do
    "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wshadow -Wconversion \
        -Wno-sign-conversion -Werror -Iplatform -Iplatform/windows "$file"
    echo "windows syntax ok: $file"
done
