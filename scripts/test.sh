#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test, then runs the concurrency tests again under
# ThreadSanitizer, builds the release configuration with g++ and with clang++ (warnings as errors), runs
# every test again on the g++ release build, then runs each fuzzer briefly.
# Usage: scripts/test.sh [--no-install] [--quick] (--quick skips the slow-labelled tests)
set -euo pipefail
cd "$(dirname "$0")/.."

install=1
quick=0
for arg in "$@"; do
    case "$arg" in
    --no-install) install=0 ;;
    --quick) quick=1 ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
    esac
done

((install)) && bash scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${ZQ_FUZZ_SECONDS:-20}

# Tests that need a display get a private X server.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY="$display"
fi

ctest_exclude=()
((quick)) && ctest_exclude=(-LE slow)

echo "== Formatting (clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== ASan + UBSan build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --preset asan -j "$jobs" "${ctest_exclude[@]}"

echo "== ThreadSanitizer build (concurrency tests)"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
ctest --preset tsan -j "$jobs" -L concurrency

for preset in release-werror clang; do
    echo "== Release build with warnings as errors ($preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

# Optimised code shows faults that the sanitizer build hides: the whole suite again on the g++ release build.
echo "== Release build (g++): every test"
ctest --preset release-werror -j "$jobs" "${ctest_exclude[@]}"

echo "== Fuzzers (${fuzz_seconds}s each)"
if ls fuzz/*Fuzzer.cpp >/dev/null 2>&1; then
    cmake --preset fuzz >/dev/null
    names=()
    for fuzzer in fuzz/*Fuzzer.cpp; do names+=("$(basename "$fuzzer" .cpp)"); done
    cmake --build --preset fuzz -j "$jobs" --target "${names[@]}"
    for name in "${names[@]}"; do
        corpus="build/fuzz/corpus-$name"
        mkdir -p "$corpus"
        [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
        echo "-- $name"
        "build/fuzz/$name" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
    done
fi
echo "== All tests passed"
