#!/usr/bin/env bash
# Builds Korvina into build/ and runs every test. Exits with the test run's status.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/install-deps.sh"

cmake -S . -B build -G Ninja -DKORVINA_WERROR="${KORVINA_WERROR:-OFF}"
cmake --build build -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure || status=$?
exit "$status"
