#!/usr/bin/env bash
# One entry point for a newcomer and for CI:
#   bash dev.sh run    install what is missing, build, check the examples, start the program
#   bash dev.sh test   install what is missing, build, run every test
#   bash dev.sh asan   the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#   bash dev.sh fuzz   build the fuzzers with clang, replay the seeds, fuzz for FUZZ_SECONDS (60)
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libgl-dev
    libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core poppler-utils)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
    fi
}

build() { # preset
    cmake --preset "$1" -G Ninja >/dev/null
    cmake --build --preset "$1"
}

cmd=${1:-test}
case "$cmd" in
run)
    install_packages
    build release
    echo "== zort-check over examples/ =="
    build/release/app/zort-check examples/*.xls examples/*.xlt || true
    if [ -z "${DISPLAY:-}" ]; then
        exec xvfb-run -a build/release/app/zort
    else
        exec build/release/app/zort
    fi
    ;;
test)
    install_packages
    build dev
    ctest --preset dev -j2
    ;;
asan)
    install_packages
    build asan
    ASAN_OPTIONS=detect_leaks=1 ctest --preset asan -j2
    ;;
fuzz)
    install_packages
    build fuzz
    bash fuzz/run.sh build/fuzz "${FUZZ_SECONDS:-60}"
    ;;
*)
    echo "usage: bash dev.sh run|test|asan|fuzz" >&2
    exit 64
    ;;
esac
