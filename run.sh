#!/usr/bin/env bash
# First run: installs what is missing, builds, starts the simulated unit and asks it for its
# information through the real serial code.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
fi
cmake --build build -j "$(nproc)"

sim=build/tools/unitsim/ketrel-unitsim
ketrel=build/src/cli/ketrel
[ -x build/src/app/ketrel ] && ketrel=build/src/app/ketrel

workdir=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; rm -rf "$workdir"' EXIT
"$sim" --link "$workdir/unit" --state "$workdir/unit.state" <&- >"$workdir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$workdir/unit" ] && break; sleep 0.1; done

echo "Simulated unit on $(readlink "$workdir/unit"); its information:"
"$ketrel" --dir build/src/cli --port "$workdir/unit" info --seconds 1
