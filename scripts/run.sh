#!/usr/bin/env bash
# Builds Tessalo if needed and starts it under Wine on the current X display: scripts/run.sh [arguments]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash "$root/scripts/setup.sh"

virtual="xvfb-run -a -s '-screen 0 1024x768x24' scripts/run.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "run: DISPLAY is not set, so there is no X display to show Tessalo on; to run it on a virtual one, use: $virtual" >&2
  exit 1
fi
if ! timeout 5 xdpyinfo >/dev/null 2>&1; then
  echo "run: the X display $DISPLAY does not answer; to run Tessalo on a virtual one instead, use: $virtual" >&2
  exit 1
fi

# Always the project's own prefix, whatever WINEPREFIX the caller's shell has.
export WINEPREFIX=$root/build/wineprefix
exec "$root/scripts/wine-exec" build/bin/tessalo.exe "$@"
