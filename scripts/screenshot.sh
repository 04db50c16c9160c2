#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window connected to the simulated unit, on a private X
# server (Xvfb) with the CJK font, so the picture is the same on every machine. Beside it, in
# the same folder: screenshot-hover.png (a ribbon button under the mouse in the black look),
# screenshot-port.png (端口设置), screenshot-failure.png (a failed 写配置 with its second line)
# and screenshot-150.png (the window at 150 % scale, as on a 1920x1080 screen set to 150 %).
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
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
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

# The simulator takes fault commands on its input.
mkfifo "$work/sim.in"
"$build/tools/unitsim/ketrel-unitsim" <"$work/sim.in" >"$work/sim.log" 2>&1 &
pids+=($!)
exec 4>"$work/sim.in"
for _ in $(seq 50); do [ -s "$work/sim.log" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.log")  # the terminal device the unit is reached on

"$build/src/app/ketrel" --dir "$work/app" --port "$port" >"$work/ketrel.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name '^KetrelV4\.0$' | head -n1)
# The two information requests go out one and two seconds after start-up.
sleep 3.5

mkdir -p "$(dirname "$out")"
shots=$(dirname "$out")
grab() { "$build/src/app/ketrel-grab" "$1" "$2" && echo "screenshot: wrote $2"; }
grab "$window" "$out"

# Where a ribbon command sits in the window: the name is the object name of its button.
x0=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1/p')
y0=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\2/p')
click() { xdotool mousemove $((x0 + $1)) $((y0 + $2)) click 1; }

# The first large button of the ribbon (获取信息) under the mouse.
xdotool mousemove $((x0 + 40)) $((y0 + 70))
sleep 0.5
grab "$window" "$shots/screenshot-hover.png"

# 端口设置 (the fifth large button).
click 413 70
dialog=$(timeout 10 xdotool search --sync --name '^通信端口设置$' | head -n1)
sleep 0.5
grab "$dialog" "$shots/screenshot-port.png"
xdotool windowkill "$dialog" 2>/dev/null || true
kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true

# A unit that refuses the fourth block of 写配置.
"$build/src/app/ketrel" --dir "$work/app" --port "$port" >"$work/ketrel.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name '^KetrelV4\.0$' | head -n1)
sleep 3
echo "fault error-at-block 3" >&4
click 112 70
box=$(timeout 20 xdotool search --sync --name '^提示$' | head -n1)
sleep 0.5
grab "$box" "$shots/screenshot-failure.png"
kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true
echo "faults clear" >&4

# The window as it opens at 150 % scale.
QT_SCALE_FACTOR=1.5 "$build/src/app/ketrel" --dir "$work/app" --port "$port" >"$work/ketrel.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name '^KetrelV4\.0$' | head -n1)
sleep 3.5
grab "$window" "$shots/screenshot-150.png"
