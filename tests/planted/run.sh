#!/bin/bash
# Plants each fault of this folder in turn, builds the tests named in its "# tests:" line, runs
# them and says which caught it. The source is restored after each plant.
# Usage: tests/planted/run.sh [patch ...]   (BUILD names the build folder; default: build)
set -u
root=$(git rev-parse --show-toplevel)
build=${BUILD:-$root/build}
cd "$root"
patches=("$@")
[ ${#patches[@]} -eq 0 ] && patches=(tests/planted/*.patch)
export QT_QPA_PLATFORM=offscreen
missed=0
for p in "${patches[@]}"; do
    name=$(basename "$p" .patch)
    tests=$(sed -n 's/^# tests: //p' "$p")
    if ! git apply "$p"; then
        echo "$name: does not apply"; missed=$((missed + 1)); continue
    fi
    caught=()
    if cmake --build "$build" -j2 --target ${tests//./_} > "$build/planted-$name.log" 2>&1; then
        for t in $tests; do
            ctest --test-dir "$build" --output-on-failure -R "^${t//./\\.}\$" >> "$build/planted-$name.log" 2>&1 || caught+=("$t")
        done
    else
        caught=("(the build)")
    fi
    git apply -R "$p"
    if [ ${#caught[@]} -gt 0 ]; then
        echo "$name: caught by ${caught[*]}"
    else
        echo "$name: MISSED"; missed=$((missed + 1))
    fi
done
cmake --build "$build" -j2 > /dev/null 2>&1
echo "$missed missed"
[ "$missed" -eq 0 ]
