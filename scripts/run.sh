#!/usr/bin/env bash
# Builds Tessalo if needed and starts it under Wine on the current X display: scripts/run.sh [arguments]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash "$root/scripts/setup.sh"

if [ -z "${DISPLAY:-}" ] || ! timeout 5 xdpyinfo >/dev/null 2>&1; then
  echo "run: no usable X display (DISPLAY is '${DISPLAY:-}'); to run Tessalo on a virtual one, use: xvfb-run -a -s '-screen 0 1024x768x24' scripts/run.sh" >&2
  exit 1
fi

# Always the project's own prefix, whatever WINEPREFIX the caller's shell has.
export WINEPREFIX=$root/build/wineprefix
exec "$root/scripts/wine-exec" build/bin/tessalo.exe "$@"
