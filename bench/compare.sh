#!/usr/bin/env bash
# The whole-job benchmark: the same check job (report of the failed checks of every form) done
# by zort-check, by a python3-xlrd script and by a script over the npm package xlsx, side by
# side in one run, over a batch of 200 forms and over one large 60,000-check form.
#
#   bash bench/compare.sh            set up, build, generate the forms, time, print the table
#   RUNS=15 bash bench/compare.sh    more runs per measurement (default 10)
#
# Prints each one's median wall time and median peak resident memory, and zort-check's speed-up
# over the fastest of the other two. The reports of the three are compared too (date and time
# lines aside): a tool that does not do the same job does not count.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-10}
build=build/release
work=$build/bench/compare
forms=$work/forms
python=/usr/bin/python3 # Debian's, where python3-xlrd lives

setup() {
    local missing=()
    for p in python3-xlrd hyperfine time nodejs; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    command -v npm >/dev/null || missing+=(npm)
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
    fi
    if [ ! -d bench/compare/node_modules/xlsx ]; then
        (cd bench/compare && npm ci --no-audit --no-fund)
    fi
}

build_release() {
    cmake --preset release -G Ninja >/dev/null
    cmake --build --preset release -j2 --target zort-check make_forms
}

generate() {
    if [ ! -f "$forms/large/form_large.xls" ]; then
        rm -rf "$forms"
        "$build/bench/make_forms" "$forms"
    fi
    batch=("$forms"/batch/*.xls)
    large=("$forms"/large/form_large.xls)
}

# The command line of one tool for one job: tool report-file paths...
command_of() {
    local tool=$1 report=$2
    shift 2
    case "$tool" in
    zort-check) echo "$build/app/zort-check --report $report $*" ;;
    xlrd) echo "$python bench/compare/xlrd_check.py --report $report $*" ;;
    xlsx) echo "node bench/compare/xlsx_check.js --report $report $*" ;;
    esac
}

# Median peak resident memory in KiB over a few runs of a command.
peak_memory() {
    local samples=()
    for _ in 1 2 3 4 5; do
        samples+=("$(/usr/bin/time -f '%M' -o "$work/time.txt" bash -c "$1" >/dev/null && cat "$work/time.txt")")
    done
    printf '%s\n' "${samples[@]}" | sort -n | sed -n 3p
}

# Report text without the lines that hold the date and time, for comparing the tools' reports.
report_body() {
    iconv -f WINDOWS-1251 -t UTF-8 "$1" | grep -v -e '^Дата: ' -e '^Проверка завершена: '
}

measure() { # job-name paths...
    local job=$1
    shift
    local commands=()
    for tool in zort-check xlrd xlsx; do
        commands+=("$(command_of "$tool" "$work/$job-$tool.txt" "$@")")
    done
    echo "== $job: $# file(s), $(du -cb "$@" | tail -1 | cut -f1) bytes =="
    hyperfine --style basic --warmup 1 --runs "$runs" -N --export-json "$work/$job.json" \
        "${commands[@]}" >"$work/$job-hyperfine.txt"
    for tool in zort-check xlrd xlsx; do
        echo "$tool $(peak_memory "$(command_of "$tool" "$work/$job-$tool.txt" "$@")")" \
            >>"$work/$job-memory.txt"
    done
    for tool in xlrd xlsx; do
        if ! cmp -s <(report_body "$work/$job-zort-check.txt") <(report_body "$work/$job-$tool.txt"); then
            echo "warning: the $tool report differs from zort-check's ($work/$job-$tool.txt)"
        fi
    done
    "$python" - "$work/$job.json" "$work/$job-memory.txt" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
memory = dict(line.split() for line in open(sys.argv[2]))
tools = ["zort-check", "xlrd", "xlsx"]
medians = {t: r["median"] for t, r in zip(tools, results)}
print("%-12s %12s %12s %14s" % ("tool", "median s", "stddev s", "peak RSS MiB"))
for t, r in zip(tools, results):
    print("%-12s %12.4f %12.4f %14.1f" % (t, r["median"], r["stddev"], int(memory[t]) / 1024))
fastest = min(("xlrd", "xlsx"), key=lambda t: medians[t])
print("zort-check is %.1fx faster than the fastest other (%s), peak memory %.2fx of its"
      % (medians[fastest] / medians["zort-check"], fastest,
         int(memory["zort-check"]) / int(memory[fastest])))
EOF
    echo
}

setup
build_release
mkdir -p "$work"
generate
rm -f "$work"/*-memory.txt
measure batch "${batch[@]}"
measure large "${large[@]}"
