#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test, then builds everything
# again optimised (Release, benchmarks too, warnings as errors) and runs every
# test there, fuzzes the decoders and checks the Debian packages; then all
# of that but the sanitizers and the fuzzing once more with Qt 6.
# Exits non-zero on failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh clang libclang-rt-14-dev xvfb xauth xdotool

build=build-test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSCHOOL_SANITIZE=ON -DSCHOOL_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")

# Optimised code is built and inlined differently: warnings and faults that
# the debug build does not show appear here.
release=build-release
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build "$release" -j"$(nproc)"
(cd "$release" && ctest --output-on-failure -j"$(nproc)")

# The decoders, the message unpacker and the client's handling of a server
# reply under libFuzzer: a million inputs, some two minutes on one core, cut
# off at three minutes on a slow machine.
if command -v clang++ >/dev/null; then
    fuzz=build-fuzz
    CXX=clang++ cmake -S . -B "$fuzz" -DCMAKE_BUILD_TYPE=Debug -DSCHOOL_BUILD_FUZZ=ON \
        -DSCHOOL_BUILD_TESTS=OFF -DSCHOOL_BUILD_BENCH=OFF
    cmake --build "$fuzz" -j"$(nproc)" --target fuzz_decoders
    rm -rf "$fuzz/corpus" && cp -r fuzz/corpus "$fuzz/corpus"
    "$fuzz/fuzz/fuzz_decoders" -runs=1000000 -max_total_time=180 -max_len=4096 "$fuzz/corpus"
fi

# The two Debian packages: built, unpacked into a temporary root, and each
# installed program started there headless to see it finds its files.
# The Release build above is reused for them.
scripts/check-packages.sh "$release"

# The same sources with Qt 6: every test, optimised, and the Qt 6 packages.
scripts/install-deps.sh --qt6
release6=build-release-qt6
cmake -S . -B "$release6" -DCMAKE_BUILD_TYPE=Release -DSCHOOL_QT_MAJOR=6 -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build "$release6" -j"$(nproc)"
(cd "$release6" && ctest --output-on-failure -j"$(nproc)")
scripts/check-packages.sh --qt6 "$release6"
echo "All tests passed."
