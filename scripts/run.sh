#!/usr/bin/env bash
# Installs what is missing, builds, and starts Telvara. Without a display it runs
# the program on a virtual X display and saves a screenshot of its window.
cd "$(dirname "$0")/.."
source scripts/common.sh
ensure_packages
build build --log-level=WARNING

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/telvara
fi

shot="$PWD/build/telvara-screenshot.png"
xvfb-run -a -s "-screen 0 800x560x24" bash -c '
  build/telvara & pid=$!
  sleep 3
  import -window root -crop 700x500+0+0 "$0"
  kill $pid' "$shot"
echo "No display here: Telvara ran on a virtual display. Screenshot: $shot"
