#!/usr/bin/env bash
# Saves the whole screen of the current X display: scripts/screenshot.sh [file.png]
set -euo pipefail
file=${1:-screenshot-$(date +%Y%m%d-%H%M%S).png}
if [ -z "${DISPLAY:-}" ]; then
  echo "screenshot: DISPLAY is not set" >&2
  exit 1
fi
import -window root "$file"
echo "$file"
