#!/usr/bin/env bash
# Runs every benchmark that has a figure in the README and prints one table: the transfers, the
# frame-to-action latency, and the running tray program itself (start-up, idle CPU, memory) under
# a private Xvfb beside the simulated unit. Prints figures only; never fails on a slow figure.
#   bench/run-all.sh [BUILD_DIR]        (default build/, made by ./test.sh or ./run.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for f in bench/link_bench bench/config_transfer_bench src/app/ketrel src/app/CONFIG src/app/DEVICES \
    tools/unitsim/ketrel-unitsim; do
    if [ ! -e "$build/$f" ]; then
        echo "missing $build/$f: build first (cmake --build $build)" >&2
        exit 1
    fi
done
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d /tmp/ketrel-bench-XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "running the benchmarks (about a minute)..." >&2

# --- transfers, with the traffic log off and on
"$build/bench/config_transfer_bench" >"$work/transfer.txt"
KETREL_BENCH_LOG="$work/transfer.log" "$build/bench/config_transfer_bench" >"$work/transfer-log.txt"
# "write-config (5 runs): median 1590.4 ms, ...; floor 1568.8 ms (...)" -> 1590.4, 1568.8
median_of() { sed -n "s/^$1.*median \([0-9.]*\) ms.*/\1/p" "$2" | head -1; }
floor_of() { sed -n "s/^$1.*floor \([0-9.]*\) ms.*/\1/p" "$2" | head -1; }
write_config=$(median_of "write-config" "$work/transfer.txt")
write_config_floor=$(floor_of "write-config" "$work/transfer.txt")
write_config_log=$(median_of "write-config" "$work/transfer-log.txt")
write_cards=$(median_of "write-cards" "$work/transfer.txt")
write_cards_floor=$(floor_of "write-cards" "$work/transfer.txt")

# --- frame to action through the receive thread
"$build/bench/link_bench" 500 5 >"$work/link.txt"
idle_link=$(sed -n 's/.*idle for [0-9.]* s: \([0-9.]*\)%.*/\1/p' "$work/link.txt")
latency_median=$(sed -n 's/.*median \([0-9]*\) us.*/\1/p' "$work/link.txt")
latency_p99=$(sed -n 's/.*p99 \([0-9]*\) us.*/\1/p' "$work/link.txt")

# --- frame to key press at a window on GNOME's Wayland compositor (when it is installed)
wl_median=n/a
wl_p99=n/a
if command -v mutter >/dev/null && [ -x "$build/bench/latency_wayland_bench" ]; then
    "$build/bench/latency_wayland_bench" 300 >"$work/wayland.txt" 2>&1 || true
    wl_median=$(sed -n 's/^ *median \([0-9.]*\) ms.*/\1/p' "$work/wayland.txt")
    wl_p99=$(sed -n 's/^ *p99 *\([0-9.]*\) ms.*/\1/p' "$work/wayland.txt")
fi

# --- the tray program: a private X server, home and unit
exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 10 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/config"
export XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
mkdir -p "$work/app"
# The files an installed program starts with.
cp "$build/src/app/CONFIG" "$build/src/app/DEVICES" "$work/app/"

mkfifo "$work/unit-in"
exec 4< <("$build/tools/unitsim/ketrel-unitsim" <"$work/unit-in" 2>/dev/null)
pids+=($!)
exec 5>"$work/unit-in"  # keeps the simulator's input open
read -r -t 10 port <&4 || { echo "the simulator did not start" >&2; exit 1; }
cat <&4 >/dev/null &
pids+=($!)

now_ms() { date +%s%3N; }
started=$(now_ms)
"$build/src/app/ketrel" --dir "$work/app" --port "$port" 2>"$work/ketrel.err" &
app=$!
pids+=("$app")
# Without a tray on this server the window is shown where it would have gone to the tray: its
# mapping marks the end of the start-up.
until xdotool search --onlyvisible --name '^KetrelV4\.0$' >/dev/null 2>&1; do
    if ! kill -0 "$app" 2>/dev/null; then
        echo "ketrel ended during start-up:" >&2
        cat "$work/ketrel.err" >&2
        exit 1
    fi
    if [ $(($(now_ms) - started)) -gt 30000 ]; then
        echo "ketrel showed no window in 30 s" >&2
        exit 1
    fi
    sleep 0.005
done
startup=$(($(now_ms) - started))

# Idle: the port open, the start-up information requests answered, nothing else happening.
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
w0=$(now_ms)
sleep 20
t1=$(ticks)
w1=$(now_ms)
idle_app=$(awk -v t="$((t1 - t0))" -v hz="$hz" -v ms="$((w1 - w0))" \
    'BEGIN { printf "%.2f", 100 * t / hz / (ms / 1000) }')
rss=$(awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$app/status")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
cores=$(nproc)
cpu=$(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -1)
os=$(sed -n 's/^PRETTY_NAME="\(.*\)"/\1/p' /etc/os-release)

echo
echo "Machine: $os, $cores cores ($cpu), $(date -u +%Y-%m-%d)"
echo
echo "| what | figure | target | ratio |"
echo "|---|---|---|---|"
echo "| write-config at 115200 baud (5 runs, median) | $write_config ms | floor $write_config_floor ms (1200 ms of pauses + the bytes on the wire) | $(ratio "$write_config" "$write_config_floor") |"
echo "| write-config with the traffic log on | $write_config_log ms | within 5% of off | $(ratio "$write_config_log" "$write_config") |"
echo "| write-cards, 340 cards, at 115200 baud (10 runs, median) | $write_cards ms | floor $write_cards_floor ms (200 ms of pauses + the bytes on the wire) | $(ratio "$write_cards" "$write_cards_floor") |"
echo "| unit writes a frame → action, median | $latency_median µs | 2000 µs | $(ratio "$latency_median" 2000) |"
echo "| same, p99 | $latency_p99 µs | 12000 µs | $(ratio "$latency_p99" 12000) |"
if [ -n "$wl_median" ] && [ "$wl_median" != n/a ]; then
    echo "| unit writes a frame → key press at a Wayland window (headless mutter), median | $wl_median ms | 2 ms | $(ratio "$wl_median" 2) |"
    echo "| same, p99 | $wl_p99 ms | 12 ms | $(ratio "$wl_p99" 12) |"
fi
echo "| receive thread idle, port open | $idle_link% of one core | 0.5% | $(ratio "$idle_link" 0.5) |"
echo "| ketrel running, idle, port open to the unit (20 s) | $idle_app% of one core | 0.5% | $(ratio "$idle_app" 0.5) |"
echo "| ketrel start-up to the tray (window mapped) | $startup ms | | |"
echo "| ketrel resident memory | $rss MiB | | |"
