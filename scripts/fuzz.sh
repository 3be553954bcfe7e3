#!/bin/sh
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given seconds, as many at once as there are cores
# (FUZZ_JOBS sets fewer). Prints, per target, the inputs run and the findings;
# fails when any target found something. Findings land in
# build-fuzz/fuzz-findings/<run>/<target>/; the corpus grows in
# build-fuzz/fuzz-corpus/<target>/ from run to run.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -eu
cd "$(dirname "$0")/.."
secs=${1:-60}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-$(nproc)}
build=${FUZZ_BUILD:-build-fuzz}
all="heat qfn sdv dv avi header xml settings registry wav jpeg"
targets=${*:-$all}

if [ -n "${CCACHE_DIR:-}" ] && command -v ccache >/dev/null; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
else
    launcher=
fi
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DTIDEWICK_FUZZ=ON -DTIDEWICK_BENCH=OFF $launcher >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_all

dict_of() {
    case $1 in
    heat | qfn | sdv | dv) echo heat ;;
    header | xml) echo xml ;;
    *) echo "$1" ;;
    esac
}

run=$(date -u +%Y%m%d-%H%M%S)
findings_dir="$build/fuzz-findings/$run"
logs="$build/fuzz-logs/$run"
mkdir -p "$logs"
# No fill of new blocks: the readers allocate frame-sized buffers per file, and
# filling them costs more than the reading.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:max_malloc_fill_size=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

one() {
    t=$1
    mkdir -p "$build/fuzz-corpus/$t" "$findings_dir/$t"
    "$build/bin/fuzz_$t" -max_total_time="$secs" -timeout=25 -rss_limit_mb=2560 -print_final_stats=1 \
        -dict="fuzz/dict/$(dict_of "$t").dict" -artifact_prefix="$findings_dir/$t/" \
        "$build/fuzz-corpus/$t" "$build/fuzz-seeds/$t" >"$logs/$t.log" 2>&1 || true
}

echo "Fuzzing $(echo "$targets" | wc -w) targets for $secs s each, $jobs at a time; logs in $logs"
# A simple pool: start up to $jobs targets, wait for the batch, go on.
set -- $targets
while [ $# -gt 0 ]; do
    n=0
    while [ $# -gt 0 ] && [ $n -lt "$jobs" ]; do
        one "$1" &
        shift
        n=$((n + 1))
    done
    wait
done

total=0
printf '%-10s %12s %10s %9s\n' target inputs "inputs/s" findings
for t in $targets; do
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$t.log" | tail -n 1)
    found=$(find "$findings_dir/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    # A target that died before its final statistics counts as a finding too.
    if [ -z "$runs" ]; then
        runs=0
        [ "$found" -eq 0 ] && found=1
    fi
    printf '%-10s %12s %10s %9s\n' "$t" "$runs" "$((runs / secs))" "$found"
    total=$((total + found))
done
if [ "$total" -gt 0 ]; then
    echo "$total finding(s): see $findings_dir and $logs" >&2
    exit 1
fi
