#!/usr/bin/env bash
# Builds the fuzz targets of the IoT reply parser and the reply wait with clang (libFuzzer,
# address and undefined-behaviour sanitizers) into build-fuzz/, and runs each for SECONDS
# (default 60) starting from its seed corpus in tests/fuzz/corpus/<target>/. New inputs are kept
# in build-fuzz/corpus-<target>/, a crashing input in build-fuzz/<target>-crash-*.
#   tests/fuzz/run.sh 20      a short run
#   tests/fuzz/run.sh 600     a long one by hand
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
out=build-fuzz
cxx=${FUZZ_CXX:-clang++}
mkdir -p "$out"

flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -Wall -Wextra -Werror -Isrc/iot)
sources=(src/iot/iot_reply.cpp src/iot/wait_iot_ack.cpp)
targets=(iot_reply iot_wait)

for t in "${targets[@]}"; do
    "$cxx" "${flags[@]}" "tests/fuzz/fuzz_$t.cpp" "${sources[@]}" -o "$out/fuzz_$t"
done

status=0
for t in "${targets[@]}"; do
    mkdir -p "$out/corpus-$t"
    echo "== fuzz_$t for ${seconds}s"
    if ! "$out/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/$t-" -max_len=1024 "$out/corpus-$t" "tests/fuzz/corpus/$t"; then
        status=1
    fi
done
exit $status
