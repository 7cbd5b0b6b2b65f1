#!/usr/bin/env bash
# Makes the pictures of the software-centre metadata (resources/screenshots/*.png) from the
# program itself, on a virtual display of its own with a demo DataFolder:
#   scripts/screenshots.sh [path/to/korvina]      (default: build/src/app/korvina)
# Needs Xvfb, xdotool, xwd (x11-apps) and netpbm, which scripts/install-deps.sh installs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$(realpath "${1:-$root/build/src/app/korvina}")"
out="$root/resources/screenshots"
work="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
xvfb=$!
cleanup() {
  [[ -n "${korvina:-}" ]] && kill "$korvina" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY="$display" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work"

# Waits for a window with this exact title and gives it the keyboard.
window() {
  for _ in $(seq 120); do
    if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [[ -n "$id" ]]; then
      xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
      return 0
    fi
    sleep 0.5
  done
  echo "screenshots: no window '$1'" >&2
  return 1
}

shoot() {
  sleep "${2:-2}"
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng -compression 9 > "$out/$1.png"
  echo "screenshots: $out/$1.png"
}

"$program" --data "$work/data" --init --demo >/dev/null
"$program" --data "$work/data" &
korvina=$!
window Login
xdotool type --delay 30 chief
xdotool key Tab
xdotool type --delay 30 korvina
xdotool key Return
window Korvina
# No window manager maximizes it here: the window takes the whole screen itself.
xdotool windowmove "$id" 0 0 windowsize "$id" 1280 800
mkdir -p "$out"
shoot main-window 3
xdotool key alt+t Return          # Transaction > Customers
shoot customers 3
xdotool key Escape
xdotool key alt+t Down Down Return   # Transaction > Leads
shoot lead-editor 8
xdotool key Escape
