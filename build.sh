#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, and runs one job:
#   ./build.sh run       build and run the main job (kmcdoc on the example document)
#   ./build.sh test      build and run the whole test suite
#   ./build.sh sanitize  build a second tree with AddressSanitizer + UBSan and run the suite there
#   ./build.sh install   build a Release tree, install it into a scratch prefix, then build and
#                        run the example host against it (CMake package and pkg-config file)
#   ./build.sh bench     build and run the benchmarks
# Our builds treat warnings as errors; a plain CMake build does not.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build pkg-config libpugixml-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev)

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

# Installs the Release tree into a scratch prefix and builds the example host against it, once
# through the CMake package and once through pkg-config; both edit a document, and the installed
# kmcdoc reads the result back.
install_check() {
    local scratch
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cmake --install build-release --prefix "$scratch/prefix" >/dev/null
    local headers=$scratch/prefix/include/kmcdoc
    for header in $(cd "$headers" && find . -name '*.h' | sed 's|^\./||'); do
        echo "#include \"$header\"" | c++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I"$headers" -x c++ -
    done
    cmake -S examples/host -B "$scratch/host" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
    cmake --build "$scratch/host"
    # shellcheck disable=SC2046
    c++ -std=c++20 -o "$scratch/edit_species_pc" examples/host/edit_species.cpp \
        $(PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig" pkg-config --cflags --libs vxostrel) \
        -Wl,-rpath,"$scratch/prefix/lib"
    for program in "$scratch/host/edit_species" "$scratch/edit_species_pc"; do
        "$program" examples/square_lattice.xml "$scratch/edited.xml" O 2.25
        "$scratch/prefix/bin/kmcdoc" show --json "$scratch/edited.xml" >"$scratch/edited.json"
        grep -q '"name": *"O", *"category": *"Adsorbate", *"radius": *2.25' "$scratch/edited.json" || {
            echo "the edited document does not hold the new radius:" >&2
            cat "$scratch/edited.json" >&2
            return 1
        }
    done
    echo "installed package: headers compile, example host built both ways, edit saved and read back"
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
    install)
        build build-release -DCMAKE_BUILD_TYPE=Release -DKMC_BENCHMARKS=OFF
        install_check
        ;;
    bench)
        build build
        for b in build/bin/bench_*; do "$b"; done
        ;;
    *)
        echo "usage: $0 [run|test|sanitize|install|bench]" >&2
        exit 2
        ;;
esac
