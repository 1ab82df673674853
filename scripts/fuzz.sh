#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz/ and runs
# each for SECONDS (default 600) on a copy of its seeds and fixed crash
# inputs (fuzz/corpus/TARGET, fuzz/regressions/TARGET), FUZZ_JOBS
# (default 2) targets at a time. Exits non-zero when any target finds a
# crash, a hang or a sanitizer report, and names the saved input.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
all_targets=(fuzz_table fuzz_memo fuzz_append fuzz_csv fuzz_sheet fuzz_rebuild fuzz_picture fuzz_page fuzz_query)
targets=("${all_targets[@]}")
[ $# -gt 0 ] && targets=("$@")
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-2}

sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1 -Wno-unknown-warning-option"
# Warnings are errors only in the g++ build: clang does not know some of its
# warning options.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$sanitize" \
    -DVORTEL_FUZZ=ON -DVORTEL_DESKTOP=OFF -DVORTEL_SANITIZED_TESTS=OFF -DVORTEL_WERROR=OFF >/dev/null
ninja -C "$build" -j "${FUZZ_BUILD_JOBS:-2}" "${targets[@]}"

run_dir=$build/runs
rm -rf "$run_dir"
mkdir -p "$run_dir"

# One target: a fresh copy of its seeds and fixed crash inputs, its own
# temporary folder, and the inputs of whatever it finds in its own artifacts
# folder.
run_target() {
    local target=$1 dir=$run_dir/$1
    mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/tmp"
    cp fuzz/corpus/"$target"/* fuzz/regressions/"$target"/* "$dir/corpus/" 2>/dev/null || true
    local status=0
    TMPDIR=$(realpath "$dir/tmp") "$build/fuzz/$target" "$dir/corpus" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" >"$dir/log" 2>&1 || status=$?
    echo "$status" >"$dir/status"
}

pending=("${targets[@]}")
while [ ${#pending[@]} -gt 0 ]; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    echo "fuzzing ${pending[0]} for ${seconds}s"
    run_target "${pending[0]}" &
    pending=("${pending[@]:1}")
done
wait

failed=0
for target in "${targets[@]}"; do
    dir=$run_dir/$target
    status=$(cat "$dir/status" 2>/dev/null || echo 1)
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log" | grep -o '[0-9]*$' || true)
    found=$(find "$dir/artifacts" -type f | sort)
    if [ "$status" -ne 0 ] || [ -n "$found" ]; then
        failed=1
        echo "FAILED $target (exit $status); log: $dir/log"
        grep -m1 -E 'ERROR: |runtime error|fuzz check failed|ALARM' "$dir/log" || tail -5 "$dir/log"
        for input in $found; do
            echo "  reproducer: $input"
            echo "  replay: $build/fuzz/$target $input"
        done
    else
        echo "ok $target: ${runs:-?} inputs in ${seconds}s"
    fi
done
exit "$failed"
