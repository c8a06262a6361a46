#!/usr/bin/env bash
# Fails when a C++ file of ours differs from what the repository's .clang-format makes of it, so formatting
# is never a reviewer's job. Run from anywhere; checks the files git knows of.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/install-deps.sh
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format: $(git ls-files '*.cpp' '*.h' | wc -l) files as .clang-format has them"
