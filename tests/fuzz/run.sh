#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour sanitizers)
# into build-fuzz/, and runs each for SECONDS (default 60) starting from its seed corpus in
# tests/fuzz/corpus/<target>/. New inputs are kept in build-fuzz/corpus-<target>/, a crashing
# input in build-fuzz/<target>-crash-*.
#   tests/fuzz/run.sh 10                  the short run of ./test.sh
#   tests/fuzz/run.sh 600 ini_read        a long one of one target by hand
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
out=build-fuzz
cxx=${FUZZ_CXX:-clang++}
launcher=()
if command -v ccache >/dev/null; then launcher=(ccache); fi
mkdir -p "$out"

# The configuration file's reader includes RapidJSON (rapidjson-dev); pkg-config gives no flag
# where its headers are in the system's own include directory.
if ! rapidjson_flags=$(pkg-config --cflags RapidJSON); then
    echo "fuzz: RapidJSON not found: install rapidjson-dev (scripts/install-deps.sh)" >&2
    exit 1
fi
# shellcheck disable=SC2054,SC2206
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -Wall -Wextra -Werror -Isrc
    -Itests/fuzz $rapidjson_flags)
link_sources=(src/link/frame_dispatch.cpp src/link/info_lines.cpp src/platform/text_util.cpp
    src/platform/app_state.cpp src/platform/ini_file.cpp src/platform/safe_file.cpp)
config_sources=(src/config/config_image.cpp src/config/config_db.cpp src/config/sqlite_limits.cpp)

# target: its sources, its extra libraries and its longest input.
declare -A sources=(
    [iot]="src/iot/iot_reply.cpp src/iot/wait_iot_ack.cpp src/link/link_clock.cpp"
    [frame_dispatch]="${link_sources[*]}"
    [image_fields]="${config_sources[*]}"
    [ini_read]="src/platform/ini_file.cpp src/platform/text_util.cpp src/platform/safe_file.cpp"
    [config_file]="${config_sources[*]} src/config/config_file.cpp src/config/send_code_rules.cpp src/config/config_file_json.cpp
        src/config/dotted_address.cpp src/platform/text_util.cpp
        src/platform/safe_file.cpp"
)
declare -A libs=([image_fields]=-lsqlite3 [config_file]=-lsqlite3)
declare -A max_len=([frame_dispatch]=4096 [ini_read]=4096 [config_file]=8192)
all=(iot frame_dispatch image_fields ini_read config_file)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

# Each source is compiled once (through ccache where there is one), as many at once as there
# are cores, and every target is linked from the objects it needs.
jobs=$(nproc)
running=0
compile() {  # source
    local obj="$out/obj/${1//\//_}.o"
    "${launcher[@]}" "$cxx" "${flags[@]}" -c "$1" -o "$obj" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
}
mkdir -p "$out/obj"
declare -A seen=()
for t in "${targets[@]}"; do
    for src in "tests/fuzz/fuzz_$t.cpp" ${sources[$t]}; do
        [ -n "${seen[$src]:-}" ] && continue
        seen[$src]=1
        compile "$src"
    done
done
while [ "$running" -gt 0 ]; do
    wait -n
    running=$((running - 1))
done
for t in "${targets[@]}"; do
    objs=()
    for src in "tests/fuzz/fuzz_$t.cpp" ${sources[$t]}; do objs+=("$out/obj/${src//\//_}.o"); done
    # shellcheck disable=SC2086
    "$cxx" "${flags[@]}" "${objs[@]}" ${libs[$t]:-} -o "$out/fuzz_$t"
done

passed=0
failed=0
for t in "${targets[@]}"; do
    mkdir -p "$out/corpus-$t"
    log="$out/$t.log"
    if "$out/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/$t-" -max_len="${max_len[$t]:-1024}" \
        "$out/corpus-$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$t: ${runs:-?} inputs in ${seconds} s, no finding"
        passed=$((passed + 1))
    else
        echo "fuzz_$t: FINDING (the input is in $out/$t-*; the whole log in $log)"
        grep -A30 -m1 -E "^==[0-9]+==ERROR|runtime error|^ERROR|Assertion|deadly signal" "$log" || tail -40 "$log"
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
