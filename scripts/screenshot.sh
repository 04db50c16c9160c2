#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window connected to the simulated unit, on a private X
# server (Xvfb) with the CJK font, so the picture is the same on every machine.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
out=${2:-docs/screenshot.png}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
fc-list | grep -qi "wqy" || { echo "screenshot: the CJK font fonts-wqy-zenhei is missing" >&2; exit 1; }

cmake --build "$build" --target ketrel ketrel-unitsim ketrel-grab >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of its own; Xvfb tells its number on the descriptor given.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# The program's per-user files go to the scratch directory, not to the caller's home.
mkdir -p "$work/home" "$work/runtime" "$work/app"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
cp "$build/src/app/CONFIG" "$work/app/CONFIG" 2>/dev/null || true

"$build/tools/unitsim/ketrel-unitsim" </dev/null >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/sim.log" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.log")  # the terminal device the unit is reached on

"$build/src/app/ketrel" --dir "$work/app" --port "$port" >"$work/ketrel.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name '^KetrelV4\.0$' | head -n1)
# The two information requests go out one and two seconds after start-up.
sleep 3.5

mkdir -p "$(dirname "$out")"
"$build/src/app/ketrel-grab" "$window" "$out"
echo "screenshot: wrote $out"
