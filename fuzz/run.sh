#!/usr/bin/env bash
# Usage: bash fuzz/run.sh BUILD_DIR SECONDS
# Replays the seeds, past findings, the examples and (when present) the shared corpus through
# every fuzz target one input at a time, failing on a crash, a leak or an input slower than
# 100 ms (per 64 KiB); then fuzzes each target for its share of SECONDS and replays what it found the same
# way. BUILD_DIR is a build of the fuzz preset (libFuzzer targets).
set -euo pipefail
build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
targets=(fuzz_compound_file fuzz_workbook)
slow_ms=100
max_len=4194304

inputs=()
for d in "$here/seeds" "$here/regressions" "$root/examples" "$root/tests/fixtures" \
    "$root/../shared/corpus/xls"; do
    [ -d "$d" ] && inputs+=("$d")
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs every file under the given folders through target $1 one by one; fails on a crash and
# on an input slower than the bound. Prints the slowest input.
replay() {
    local bin=$1
    shift
    local log="$work/replay.log"
    find "$@" -type f -print0 | sort -z \
        | xargs -0 -r -n 200 "$bin" -runs=1 -timeout=1 -rss_limit_mb=512 -max_len=$max_len \
            >"$log" 2>&1 || { tail -40 "$log"; echo "FAILED: $bin on a replayed input" >&2; return 1; }
    # The bound is per 64 KiB started: fuzzing inputs are small; real files of a megabyte, whose
    # every name is read under the sanitizers, take a few hundred milliseconds.
    local slowList="$work/slow.list"
    : >"$slowList"
    awk -v bound=$slow_ms -v slowList="$slowList" '
        /^Executed .* in [0-9]+ ms$/ {
            n++; ms = $(NF-1) + 0; file = $2
            cmd = "stat -c %s \"" file "\""; cmd | getline size; close(cmd)
            limit = bound * (1 + int(size / 65536))
            if (ms > worst) { worst = ms; worstFile = file }
            if (ms > limit) { slow++; print file "\t" limit > slowList }
        }
        END {
            printf "  %d inputs, slowest %d ms (%s)\n", n, worst, worstFile
            if (n == 0) { print "  nothing was replayed"; exit 1 }
        }' "$log" || return 1
    # Other work on the machine can slow one run: a slow input is timed twice more, alone, and
    # its best time counts.
    local file limit best ms i
    while IFS=$'\t' read -r file limit; do
        best=999999
        for i in 1 2; do
            ms=$("$bin" -runs=1 -max_len=$max_len "$file" 2>&1 | sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p')
            ms=${ms:-999999}
            ((ms < best)) && best=$ms
        done
        if ((best > limit)); then
            echo "  slow: $file takes $best ms (bound $limit ms)" >&2
            return 1
        fi
        echo "  $file: $best ms on a second timing (bound $limit ms)"
    done <"$slowList"
}

share=$((seconds / ${#targets[@]}))
((share >= 1)) || share=1
for t in "${targets[@]}"; do
    bin="$build/fuzz/$t"
    [ -x "$bin" ] || { echo "missing $bin (build the fuzz preset first)" >&2; exit 1; }
    echo "== $t: replaying seeds and corpus"
    replay "$bin" "${inputs[@]}"
    echo "== $t: fuzzing for $share s"
    mkdir -p "$work/$t"
    "$bin" "$work/$t" "${inputs[@]}" -dict="$here/xls.dict" -max_total_time="$share" \
        -timeout=1 -report_slow_units=1 -rss_limit_mb=512 -max_len=131072 \
        -artifact_prefix="$work/" -print_final_stats=1 >"$work/$t.log" 2>&1 || {
        tail -60 "$work/$t.log"
        for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work"/slow-unit-*; do
            [ -e "$a" ] && cp "$a" "$here/regressions/$t-$(basename "$a")" \
                && echo "kept $here/regressions/$t-$(basename "$a")"
        done
        echo "FAILED: $t found a defect" >&2
        exit 1
    }
    grep -E '^stat::number_of_executed_units' "$work/$t.log" | sed 's/^/  /'
    if compgen -G "$work/slow-unit-*" >/dev/null; then
        echo "FAILED: $t found a slow input" >&2
        exit 1
    fi
    echo "== $t: replaying what fuzzing kept"
    replay "$bin" "$work/$t"
done
echo "fuzzing passed"
