#!/usr/bin/env bash
# Builds Korvina (Release, into build/) and starts it on the demo DataFolder demo-data/,
# creating that folder with demo content the first time.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/install-deps.sh"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
# Only the program: the tests are built by scripts/test.sh.
cmake --build build -j"$(nproc)" --target korvina

if [[ ! -f demo-data/Korvina.Kys ]]; then
  echo "run-demo: creating the demo DataFolder demo-data/"
  build/src/app/korvina --data demo-data --init --demo
fi

echo "run-demo: log in as Chief with the password korvina"
exec build/src/app/korvina --data demo-data
