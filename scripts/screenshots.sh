#!/usr/bin/env bash
# Makes the README's pictures of the windows under Xvfb: the demo is started with
# --screenshots, shows the main window on each list and on the help, a notification of a
# reminder and of a holiday, and a message dialog, writes each into docs/screenshots/ and
# ends. Run it again whenever the windows change.
#   scripts/screenshots.sh                 builds in build/ first
#   BUILD_DIR=build-x scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${OUT_DIR:-docs/screenshots}
if [ -z "${BUILD_DIR:-}" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)" --target Orlinda orlinda_calendar orlinda_sounds orlinda_help
fi
mkdir -p "$out"
# A session of its own: no tray, no window manager, the same fonts every time.
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
xvfb-run -a -s "-screen 0 1280x800x24" \
  timeout 120 "$build/src/app/Orlinda" --demo --screenshots "$out"
ls -1 "$out"/*.png
