#!/usr/bin/env bash
# Builds the Debian package and prints its path: scripts/package.sh [BUILD_DIR]
# BUILD_DIR (default build-release) is made as a Release build if it does not exist; only what
# the package holds is built in it. An existing tree is packaged as it is configured (./test.sh
# packages its own build tree), stripped either way.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build-release}
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so another clone of the same code reuses the cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

if [ ! -f "$dir/CMakeCache.txt" ]; then
    # Installing must not wait for the tests and benchmarks to build.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >&2
fi
cmake --build "$dir" -j "$(nproc)" --target ketrel ketrel_supplied_config \
    ketrel_supplied_devices ketrel_package_docs >&2

out=$(cd "$dir" && cpack 2>&1) || {
    echo "$out" >&2
    exit 1
}
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' <<<"$out")
[ -n "$deb" ] || {
    echo "$out" >&2
    echo "package.sh: cpack made no .deb" >&2
    exit 1
}
echo "$deb"
