#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Exits non-zero on failure.
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

# The decoders and the message unpacker under libFuzzer, for a short run.
if command -v clang++ >/dev/null; then
    fuzz=build-fuzz
    CXX=clang++ cmake -S . -B "$fuzz" -DCMAKE_BUILD_TYPE=Debug -DSCHOOL_BUILD_FUZZ=ON \
        -DSCHOOL_BUILD_TESTS=OFF -DSCHOOL_BUILD_BENCH=OFF
    cmake --build "$fuzz" -j"$(nproc)" --target fuzz_decoders
    rm -rf "$fuzz/corpus" && cp -r fuzz/corpus "$fuzz/corpus"
    "$fuzz/fuzz/fuzz_decoders" -runs=200000 -max_len=4096 "$fuzz/corpus"
fi
echo "All tests passed."
