#!/usr/bin/env bash
# Installs what is missing, builds the desktop program and starts it. Without a
# display it starts the program on a virtual one (Xvfb) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DTINSELWICK_TESTS=OFF -DTINSELWICK_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target tinselwick tinselwick-cli

program=build-run/src/app/tinselwick
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available: starting Tinselwick on a virtual display (Xvfb)."
  echo "Nothing will be visible; close it with Ctrl+C."
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$program"
fi
exec "$program"
