#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, the address and
# undefined-behaviour sanitizer build of all tests, the thread sanitizer build of the
# receive-thread tests, a short run of each fuzz target, the checks of the Debian package and
# the Ansible fleet test. Build trees are kept, so a second run only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so another clone of the same code reuses the cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
jobs=$(nproc)
configure() {  # dir, extra cmake args...
    local dir=$1
    shift
    # Warnings are errors here (not in a user's or packager's build). Configuring an existing
    # tree again is quick and rebuilds nothing unless a setting changed.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DKETREL_WERROR=ON \
        "$@" >/dev/null
}

echo "== format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
if [ ${#sources[@]} -gt 0 ]; then
    clang-format --dry-run --Werror "${sources[@]}"
fi

echo "== build (Release, as a user or a packager builds it)"
configure build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"

echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300 -LE soak

echo "== address and undefined-behaviour sanitizer build"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DKETREL_SANITIZE=address
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600 -LE 'soak|nosan'

echo "== thread sanitizer build (receive thread)"
configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DKETREL_SANITIZE=thread -DKETREL_CORE_ONLY=ON
cmake --build build-tsan -j "$jobs" --target link_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" --timeout 600 -L link

echo "== fuzz targets (10 s each)"
tests/fuzz/run.sh 10

echo "== package"
# Made from the tree built above: CPack strips it, so it needs no build of its own.
tests/package/check.sh build

echo "== fleet (Ansible, three simulated rooms at 115200 baud)"
tests/fleet/run.sh build
