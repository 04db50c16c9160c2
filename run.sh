#!/usr/bin/env bash
# First run: installs what is missing, builds, and starts a simulated unit on a pseudo-terminal
# that moves bytes at the speed of the unit's 115200-baud line.
# With a display, the tray program runs connected to it; without one, the command line asks the
# unit for its information and writes the configuration and the card list to it.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so another clone of the same code reuses the cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
fi
cmake --build build -j "$(nproc)"

sim=build/tools/unitsim/ketrel-unitsim
ketrel=build/src/app/ketrel
appdir=build/src/app  # config.ini, CONFIG and DEVICES of this build

workdir=$(mktemp -d)
sim_pid=
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$workdir"' EXIT
"$sim" --baud 115200 --link "$workdir/unit" --state "$workdir/unit.state" </dev/null >"$workdir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$workdir/unit" ] && break; sleep 0.1; done
echo "Simulated unit on $(readlink "$workdir/unit")"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # The demo's per-user files (auto-start entry, first-run marker, style) stay in the build
    # tree, so trying the program does not make this build start at every log-on.
    mkdir -p build/demo-home/config
    echo "Starting the tray program: double-click the Ketrel icon in the tray to open the window"
    echo "(where the desktop has no tray, the window opens by itself); quit with 退出程序."
    XDG_CONFIG_HOME="$PWD/build/demo-home/config" \
        "$ketrel" --dir "$appdir" --port "$workdir/unit"
    exit $?
fi

echo "No display: the command line against the simulated unit."
status=0
for command in "info --seconds 1" "write-config" "write-cards" "compare"; do
    echo
    echo "\$ ketrel --port $workdir/unit $command"
    # shellcheck disable=SC2086
    "$ketrel" --dir "$appdir" --port "$workdir/unit" $command || status=$?
done
exit "$status"
