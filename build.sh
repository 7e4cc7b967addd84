#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, and runs one job:
#   ./build.sh run       build and run the main job (kmcdoc on the example document)
#   ./build.sh test      build and run the whole test suite
#   ./build.sh sanitize  build a second tree with AddressSanitizer + UBSan and run the suite there
#   ./build.sh bench     build and run the benchmarks
# Our builds treat warnings as errors; a plain CMake build does not.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build libpugixml-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 2
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {  # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DKMC_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

mode=${1:-run}
install_missing
case "$mode" in
    run)
        build build
        build/bin/kmcdoc show examples/square_lattice.xml
        ;;
    test)
        build build
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        ;;
    sanitize)
        build build-asan -DKMC_SANITIZE=ON -DKMC_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
        ;;
    bench)
        build build
        for b in build/bin/bench_*; do "$b"; done
        ;;
    *)
        echo "usage: $0 [run|test|sanitize|bench]" >&2
        exit 2
        ;;
esac
