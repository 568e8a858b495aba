#!/usr/bin/env bash
# Builds the whole suite with clang under AddressSanitizer and UndefinedBehaviorSanitizer, with
# the fuzzers, into build-sanitize/, and runs it through ctest: every test, then each fuzzer
# for MERKO_FUZZ_SECONDS seconds (60 unless set) on a copy of its seed corpus.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" sanitize
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DMERKO_SANITIZE=ON -DMERKO_FUZZ=ON -DMERKO_FUZZ_SECONDS="${MERKO_FUZZ_SECONDS:-60}"
cmake --build "$root/build-sanitize" -j"$(nproc)"
cd "$root/build-sanitize"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --output-on-failure -LE benchmark
