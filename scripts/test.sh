#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test
# headless, then builds again with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the suite once more.
cd "$(dirname "$0")/.."
source scripts/common.sh
ensure_packages

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

build build-werror -DTELVARA_WERROR=ON
ctest --test-dir build-werror --output-on-failure -j"$(nproc)"

build build-sanitize -DTELVARA_WERROR=ON -DTELVARA_SANITIZE=ON -DTELVARA_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
