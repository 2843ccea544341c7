#!/usr/bin/env bash
# Runs fuzz targets of the sanitizer tree, two at a time (one per core), each for a bounded time.
# Usage: tests/fuzz/run-targets.sh <seconds> <target>...   (from the source folder, after building
# the preset asan). Each target starts from its checked-in seeds (tests/fuzz/corpus/<target>) and
# from what earlier runs found (build-asan/fuzz-runs/corpus/<target>); a finding is kept in
# build-asan/fuzz-runs/findings/<target>/ and its path printed. Exits non-zero on any finding.
set -uo pipefail
seconds=$1
shift
root=$PWD
bin_dir=$root/build-asan/tests/fuzz
runs_dir=$root/build-asan/fuzz-runs
jobs=${VEXAV6_FUZZ_JOBS:-2}

run_one() {
    local target=$1 bin=$bin_dir/$1 corpus=$runs_dir/corpus/$1 findings=$runs_dir/findings/$1
    local log=$runs_dir/logs/$1.log dict=()
    mkdir -p "$corpus" "$findings" "$runs_dir/logs"
    [ -f "$root/tests/fuzz/dict/$target.dict" ] && dict=(-dict="$root/tests/fuzz/dict/$target.dict")
    # libFuzzer stops at the first finding and writes the input that caused it to findings/.
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "${dict[@]}" "$corpus" "$root/tests/fuzz/corpus/$target" \
        >"$log" 2>&1
    local rc=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $rc -eq 0 ]; then
        printf '  %-14s %10s executions in %s s\n' "$target" "${runs:-?}" "$seconds"
        return 0
    fi
    local reproducer
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    printf '  %-14s FINDING (exit %d) after %s executions\n' "$target" "$rc" "${runs:-?}"
    grep -E '^== property does not hold|^SUMMARY|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' \
        "$log" | head -5 | sed 's/^/      /'
    echo "      reproducer: ${reproducer:-none written; see $log}"
    echo "      reproduce:  build-asan/tests/fuzz/$target ${reproducer:-<input>}   (log: $log)"
    return 1
}

# Lighter bookkeeping than the test suite's for speed: no fill of new allocations, shorter
# allocation stacks, a smaller quarantine. Detection is the same; a reproducer run on its own gets
# the full reports.
export ASAN_OPTIONS=${ASAN_OPTIONS:-max_malloc_fill_size=0:malloc_context_size=8:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
running=0
for target in "$@"; do
    run_one "$target" &
    running=$((running + 1))
    if [ $running -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
done
while [ $running -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
