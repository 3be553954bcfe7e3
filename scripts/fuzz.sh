#!/bin/sh
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given seconds, as many at once as there are cores
# (FUZZ_JOBS sets fewer). Prints, per target, the inputs run and the findings;
# fails when any target found something. Findings land in
# build-fuzz/fuzz-findings/<run>/<target>/; the corpus grows in
# build-fuzz/fuzz-corpus/<target>/ from run to run.
# FUZZ_CORES="2 3 4 5" runs each target on a core of its own from that list,
# as many at once as it names: the inputs one core runs, with no other
# target sharing it.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -eu
cd "$(dirname "$0")/.."
secs=${1:-60}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-$(nproc)}
cores=${FUZZ_CORES:-}
[ -n "$cores" ] && jobs=$(echo "$cores" | wc -w)
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
cmake --build "$build" --target fuzz_all

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
# filling them costs more than the reading. A small quarantine: freed memory
# comes back after 16 MB of later frees, not 256 MB, so an input's buffers do
# not each cost fresh pages (most of a run's time was the kernel's page
# faults); a use after free within an input is still caught. Eight frames of
# an allocation's stack are enough to find it and cost less to record.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:max_malloc_fill_size=0:quarantine_size_mb=16:malloc_context_size=8}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

# Fork mode: each target runs in a child process that is started again after
# a finding or when it ends, so one run goes on past a crash, a leak or an
# input that asks for more than 512 MB in one allocation (-malloc_limit_mb),
# and every such input lands in the findings.
# The processor time of each target and its children, where /usr/bin/time is
# there: inputs per processor second are the inputs one core runs, whatever
# else the machine does.
one() {
    t=$1
    core=$2
    if [ -x /usr/bin/time ]; then set -- /usr/bin/time -f %U+%S -o "$logs/$t.time"; else set --; fi
    [ -n "$core" ] && set -- "$@" taskset -c "$core"
    mkdir -p "$build/fuzz-corpus/$t" "$findings_dir/$t"
    "$@" "$build/bin/fuzz_$t" -fork=1 -print_funcs=0 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -max_total_time="$secs" -timeout=25 -malloc_limit_mb=512 -rss_limit_mb=2560 \
        -dict="fuzz/dict/$(dict_of "$t").dict" -artifact_prefix="$findings_dir/$t/" \
        "$build/fuzz-corpus/$t" "$build/fuzz-seeds/$t" >"$logs/$t.log" 2>&1 || true
}

echo "Fuzzing $(echo "$targets" | wc -w) targets for $secs s each, $jobs at a time; logs in $logs"
# A simple pool: start up to $jobs targets, wait for the batch, go on.
set -- $targets
while [ $# -gt 0 ]; do
    n=0
    while [ $# -gt 0 ] && [ $n -lt "$jobs" ]; do
        # shellcheck disable=SC2086
        one "$1" "$([ -n "$cores" ] && echo $cores | cut -d' ' -f$((n + 1)))" &
        shift
        n=$((n + 1))
    done
    wait
done

total=0
printf '%-10s %12s %10s %12s %9s\n' target inputs "inputs/s" "per CPU-s" findings
for t in $targets; do
    # The fork mode's last status line counts the inputs of all its children
    # (none yet when no job ended in a very short run).
    runs=$(sed -n 's/^#\([0-9][0-9]*\): cov:.*/\1/p' "$logs/$t.log" | tail -n 1)
    runs=${runs:-0}
    found=$(find "$findings_dir/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    # A target that died before its end counts as a finding too.
    if ! grep -q '^INFO: exiting: ' "$logs/$t.log" && [ "$found" -eq 0 ]; then
        found=1
    fi
    per_cpu=-
    if [ -s "$logs/$t.time" ]; then
        cpu=$(tail -n 1 "$logs/$t.time" | awk -F+ '{ printf "%d", ($1 + $2) * 100 }')
        [ "$cpu" -gt 0 ] && per_cpu=$((runs * 100 / cpu))
    fi
    printf '%-10s %12s %10s %12s %9s\n' "$t" "$runs" "$((runs / secs))" "$per_cpu" "$found"
    total=$((total + found))
done
if [ "$total" -gt 0 ]; then
    echo "$total finding(s): see $findings_dir and $logs" >&2
    exit 1
fi
