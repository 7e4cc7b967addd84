#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, and runs one job:
#   ./build.sh run       build and run the main job (kmcdoc on the example document)
#   ./build.sh test      build and run the whole test suite
#   ./build.sh release   build a Release tree (-O3) and run the suite there
#   ./build.sh sanitize  build a clang tree with AddressSanitizer + UBSan and run the suite there
#   ./build.sh fuzz      build the fuzz harnesses (in the sanitizer tree) and run each for
#                        KMC_FUZZ_SECONDS seconds (default 300)
#   ./build.sh install   install the Release tree into a scratch prefix, then build and run the
#                        example host against it (CMake package and pkg-config file)
#   ./build.sh bench     build and run the benchmarks
# Our builds treat warnings as errors; a plain CMake build does not.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ clang-14 libclang-rt-14-dev llvm-14 cmake ninja-build pkg-config
          libpugixml-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev locales
          python3 python3-pytest librsvg2-bin)

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

# The tests read and show numbers in a locale with a decimal comma; they are skipped without it.
generate_test_locale() {
    locale -a 2>/dev/null | grep -ix 'de_DE\.utf-\?8' >/dev/null && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "locale de_DE.UTF-8 missing (run as root to generate it); its tests will be skipped" >&2
        return 0
    fi
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

build() {  # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DKMC_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

# Each tree checks the libraries as they are built for it; the test programs that drive them
# build at -O1 in the GCC trees (their objects in three quarters of the time of -O2 or -O3).
# The default tree keeps its build type; its debug information is line tables, which backtraces
# and profiles need and which build in three quarters of the time of full debug information
# (configure a Debug tree to inspect variables).
build_default() {
    build build -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DKMC_TEST_OPTIMIZATION=-O1
}

# The Release tree: the libraries as they ship, at -O3.
build_release() {
    build build-release -DCMAKE_BUILD_TYPE=Release -DKMC_BENCHMARKS=OFF -DKMC_TEST_OPTIMIZATION=-O1
}

# One clang tree serves the sanitizers and the fuzzers: the libraries carry the fuzzers' coverage
# instrumentation, which the test programs simply do not use. The libraries build at -O1 with
# line tables, what the sanitizers need for useful speed and reports (in two thirds of the time
# of -O2 -g); the test programs without optimisation, which their own code does not need (in
# half the time). The test programs run whole, each test after the others in one process, as a
# developer runs them: the sanitizers then also see what one test leaves behind for the next,
# which the GCC trees, one process per test, cannot; and the run takes half the time.
build_clang() {
    build build-clang -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
        -DKMC_SANITIZE=ON -DKMC_FUZZ=ON -DKMC_BENCHMARKS=OFF -DKMC_WHOLE_SUITES=ON \
        -DKMC_TEST_OPTIMIZATION=-O0
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer

# Runs one harness for $2 seconds from a scratch copy of its seed corpus, so that the inputs it
# finds stay out of the repository; a fault leaves its input and log in build-clang/fuzz/run-NAME.
fuzz_one() {
    local harness=$1 seconds=$2
    local name=${harness##*/fuzz_}
    local work=build-clang/fuzz/run-$name
    rm -rf "$work" && mkdir -p "$work/corpus"
    cp fuzz/corpus/"$name"/* "$work/corpus/"
    local options=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1 -artifact_prefix="$work/")
    [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
    if "$harness" "${options[@]}" "$work/corpus" >"$work/log" 2>&1; then
        echo "fuzz $name: $(awk '/stat::number_of_executed_units/ {print $2}' "$work/log") executions" \
            "in ${seconds}s, no fault"
    else
        tail -n 80 "$work/log"
        echo "fuzz $name: FAULT (input and log in $work)"
        return 1
    fi
}

# Runs every harness for $1 seconds, as many at a time as there are cores.
fuzz() {
    local seconds=$1 failed=0 running=()
    for harness in build-clang/fuzz/fuzz_*; do
        fuzz_one "$harness" "$seconds" &
        running+=($!)
        if [ ${#running[@]} -ge "$(nproc)" ]; then
            wait "${running[0]}" || failed=1
            running=("${running[@]:1}")
        fi
    done
    for pid in "${running[@]}"; do wait "$pid" || failed=1; done
    return $failed
}

# Installs the Release tree into a scratch prefix (build-release/install-check) and builds the example host against it, once
# through the CMake package and once through pkg-config; both edit a document, and the installed
# kmcdoc reads the result back.
install_check() {
    local scratch=$PWD/build-release/install-check
    rm -rf "$scratch" && mkdir -p "$scratch"
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
    # The Python package finds the installed libraries by itself (no KMCDOC_LIB_DIR) and drives
    # the installed module: it builds the example model, and the installed kmcdoc validates it.
    local site
    site=$(dirname "$(find "$scratch/prefix" -path '*/dist-packages/kmcdoc/__init__.py')")
    env -u KMCDOC_LIB_DIR PYTHONPATH="$(dirname "$site"):examples/python" /usr/bin/python3 \
        examples/python/co_oxidation.py "$scratch/co_oxidation.xml" >/dev/null
    env -u KMCDOC_LIB_DIR PYTHONPATH="$(dirname "$site")" /usr/bin/python3 -c \
        'import kmcdoc, sys; assert kmcdoc.__file__.startswith(sys.argv[1]), kmcdoc.__file__' "$site"
    "$scratch/prefix/bin/kmcdoc" validate "$scratch/co_oxidation.xml" >/dev/null
    echo "installed package: headers compile, example host built both ways, edit saved and read back," \
         "Python package imported from the prefix and its model validated"
}

mode=${1:-run}
install_missing
generate_test_locale
case "$mode" in
    run)
        build_default
        build/bin/kmcdoc show examples/square_lattice.xml
        ;;
    test)
        build_default
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        ;;
    release)
        build_release
        ctest --test-dir build-release --output-on-failure -j "$(nproc)"
        ;;
    sanitize)
        build_clang
        ctest --test-dir build-clang --output-on-failure -j "$(nproc)"
        ;;
    fuzz)
        build_clang
        fuzz "${KMC_FUZZ_SECONDS:-300}"
        ;;
    install)
        build_release
        install_check
        ;;
    bench)
        build_default
        for b in build/bin/bench_*; do "$b"; done
        ;;
    *)
        echo "usage: $0 [run|test|release|sanitize|fuzz|install|bench]" >&2
        exit 2
        ;;
esac
