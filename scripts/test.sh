#!/usr/bin/env bash
# Installs what is missing, builds, runs every test headless, then builds again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite once more.
cd "$(dirname "$0")/.."
source scripts/common.sh
ensure_packages

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

build build
ctest --test-dir build --output-on-failure

build build-sanitize -DTELVARA_SANITIZE=ON -DTELVARA_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure
