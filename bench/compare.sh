#!/usr/bin/env bash
# The whole-job benchmark: the same check job (report of the failed checks of every form) done
# by zort-check, by a python3-xlrd script and by a script over the npm package xlsx, side by
# side in one run, over a batch of 200 forms and over one large 60,000-check form.
#
#   bash bench/compare.sh            set up, build, generate the forms, time, print the table
#   RUNS=15 bash bench/compare.sh    more timed runs (default 10; XLSX_RUNS, default 3, for the
#                                    slow xlsx script)
#
# Prints each one's median wall time and median peak resident memory, and zort-check's speed-up
# over the fastest of the other two. The reports of the three are compared too (date and time
# lines aside): a tool that does not do the same job does not count.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-10}
xlsx_runs=${XLSX_RUNS:-3}
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
    # Written again whenever the generator is newer than the forms.
    if [ "$build/bench/make_forms" -nt "$forms/large/form_large.xls" ]; then
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
    for _ in 1 2 3; do
        # zort-check exits with 1 when a check failed: the status says nothing here.
        /usr/bin/time -f '%M' -o "$work/time.txt" $1 >/dev/null || true
        samples+=("$(tail -1 "$work/time.txt")")
    done
    printf '%s\n' "${samples[@]}" | sort -n | sed -n 2p
}

# Report text without the lines that hold the date and time, for comparing the tools' reports.
report_body() {
    iconv -f WINDOWS-1251 -t UTF-8 "$1" | grep -v -e '^Дата: ' -e '^Проверка завершена: '
}

measure() { # job-name paths...
    local job=$1
    shift
    echo "== $job: $# file(s), $(du -cb "$@" | tail -1 | cut -f1) bytes =="
    rm -f "$work/$job-memory.txt"
    for tool in zort-check xlrd xlsx; do
        local command runs=$runs
        command=$(command_of "$tool" "$work/$job-$tool.txt" "$@")
        # The xlsx script takes many seconds a run; a few runs show its median well enough.
        [ "$tool" = xlsx ] && runs=$xlsx_runs
        hyperfine --style none --ignore-failure --warmup 1 --runs "$runs" -N \
            --export-json "$work/$job-$tool.json" "$command" >/dev/null 2>&1
        echo "$tool $(peak_memory "$command")" >>"$work/$job-memory.txt"
    done
    for tool in xlrd xlsx; do
        if ! cmp -s <(report_body "$work/$job-zort-check.txt") <(report_body "$work/$job-$tool.txt"); then
            echo "warning: the $tool report differs from zort-check's ($work/$job-$tool.txt)"
        fi
    done
    "$python" - "$work" "$job" <<'EOF'
import json, sys
work, job = sys.argv[1:]
tools = ["zort-check", "xlrd", "xlsx"]
results = {t: json.load(open("%s/%s-%s.json" % (work, job, t)))["results"][0] for t in tools}
memory = dict(line.split() for line in open("%s/%s-memory.txt" % (work, job)))
print("%-12s %6s %10s %10s %10s %14s" % ("tool", "runs", "median s", "min s", "max s", "peak RSS MiB"))
for t in tools:
    r = results[t]
    print("%-12s %6d %10.4f %10.4f %10.4f %14.1f"
          % (t, len(r["times"]), r["median"], r["min"], r["max"], int(memory[t]) / 1024))
fastest = min(("xlrd", "xlsx"), key=lambda t: results[t]["median"])
print("zort-check: %.1fx faster than the fastest other (%s); peak memory %.2fx of its"
      % (results[fastest]["median"] / results["zort-check"]["median"], fastest,
         int(memory["zort-check"]) / int(memory[fastest])))
EOF
    echo
}

setup
build_release
mkdir -p "$work"
generate
measure batch "${batch[@]}"
measure large "${large[@]}"
