#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in the
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Normal build"
"$top/scripts/build.sh" "$top/build"
ctest --test-dir "$top/build" --output-on-failure -j2

echo "== Sanitizer build (address, undefined)"
"$top/scripts/build.sh" "$top/build-sanitize" -DVORLAP_SANITIZE=ON -DVORLAP_BENCHMARKS=OFF
ctest --test-dir "$top/build-sanitize" --output-on-failure -j2
