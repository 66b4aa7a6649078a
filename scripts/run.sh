#!/usr/bin/env bash
# Installs what is missing, builds, and starts Telvara. Without a display it runs
# the program on a virtual X display and saves a screenshot of its window.
cd "$(dirname "$0")/.."
source scripts/common.sh

# On the virtual display: start Telvara, wait until its window shows painted
# content, save it. Status 3: Telvara ended at once (another instance runs).
if [ "${1:-}" = --screenshot ]; then
  shot=$2
  build/telvara & pid=$!
  deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      [ $status -eq 0 ] && exit 3
      echo "Telvara ended with status $status before its window appeared." >&2
      exit 1
    fi
    # The caption holds U+3000, which xwininfo cannot print under the POSIX
    # locale (a minimal system has no other): it runs under C.UTF-8, which
    # every glibc system has.
    id=$(LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | awk '/ Telvara \(045\)/ { print $1; exit }') || true
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' &&
       import -window "$id" "$shot" 2>/dev/null &&
       [ "$(convert "$shot" -format %k info: 2>/dev/null || echo 0)" -gt 16 ]; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      exit 0
    fi
    sleep 0.2
  done
  echo "Telvara's window did not appear within 60 s." >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi

ensure_packages
# Only the two programs: the tests and the benchmark build in the test
# command's own folder.
build build --log-level=WARNING -- telvara telvara-lookup

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/telvara
fi

shot="$PWD/build/telvara-screenshot.png"
rm -f "$shot"
# Qt wants a private runtime folder; without one it makes /tmp/runtime-<user>.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
status=0
xvfb-run -a -s "-screen 0 800x560x24" bash scripts/run.sh --screenshot "$shot" || status=$?
case $status in
  0) echo "No display here: Telvara ran on a virtual display. Screenshot: $shot" ;;
  3) echo "Telvara is already running for this user: this start ended at once, as it should. No screenshot taken." ;;
  *) exit "$status" ;;
esac
