#!/usr/bin/env bash
# Prepares a Debian 12 machine to build, run and test Tessalo, then builds it.
# Safe to run again: each step is skipped when already done, so a second run takes seconds.
#   1. Debian packages (apt only when something is missing)
#   2. the zh_CN.UTF-8 locale (Wine takes code page 936 from it)
#   3. the project's own Wine prefix in build/wineprefix (never ~/.wine)
#   4. configure and build with the linux-mingw preset
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

say() { printf 'setup: %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null; then sudo "$@"
  else say "needs root for: $*"; exit 1
  fi
}

# --- 1. packages -------------------------------------------------------------------------------
packages=(
  g++-mingw-w64-x86-64-posix cmake make   # cross toolchain and build
  wine wine64 fonts-wine                  # 64-bit Wine (no wine32 needed)
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
                                          # X extensions Wine loads at run time (only recommended)
  xvfb xauth x11-utils imagemagick        # virtual display, xdpyinfo, screenshots (xvfb-run needs xauth)
  fonts-wqy-microhei locales              # Chinese glyphs and code page 936
  doctest-dev gnuplot-nox                 # tests, benchmark plots
  procps                                  # pgrep, to wait for Wine's services
)
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)" = "ii " ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update
  as_root apt-get install -y --no-install-recommends "${missing[@]}"
fi

# --- 2. locale -----------------------------------------------------------------------------------
# Without it Wine silently falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
  say "generating the zh_CN.UTF-8 locale"
  if grep -q '^# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen
fi

# --- 3. Wine prefix ----------------------------------------------------------------------------
# Always the project's own prefix, whatever WINEPREFIX the caller's shell has.
export WINEPREFIX=$root/build/wineprefix
# The stamp names the Wine version and the steps below: when either changes, the prefix is made anew.
stamp=$WINEPREFIX/.tessalo-prefix
stamp_text="prefix 2: managed=N decorated=N marlett txt=txtfile; $(wine --version 2>/dev/null)"

make_prefix() {
  local started=$SECONDS
  say "creating the Wine prefix $WINEPREFIX (about 15 s, once)"
  # A half-made or outdated prefix is thrown away; stop anything still running in it first.
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No display is needed to make a prefix, and none is used: nothing pops up on the caller's
  # desktop, and the run is the same with or without X. The overrides skip the Mono and Gecko
  # installers (which would wait for a click) and keep Wine out of ~/.local menus and file types.
  # Wine's chatter (among it a harmless complaint about the missing 32-bit rundll32) goes to a
  # log that is shown only if something fails.
  local log=$root/build/wineprefix-setup.log
  # (Steps chained with &&: set -e does not act inside an if condition.)
  if ! (
    unset DISPLAY
    export WINEDLLOVERRIDES='mscoree=;mshtml=;winemenubuilder.exe=d'
    timeout 300 "$root/scripts/wine-exec" wineboot -i &&
    timeout 300 wineserver -w &&
    # No window manager under Xvfb: let Wine draw the frames itself, or every window that hides
    # or closes waits 2 s for a manager that never answers.
    "$root/scripts/wine-exec" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    "$root/scripts/wine-exec" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f &&
    # The shell opens a .txt in Notepad only once the extension is linked to its file type, and
    # this Wine defines the type without the link (and reads it machine-wide only).
    "$root/scripts/wine-exec" reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f &&
    timeout 300 wineserver -w
  ) >"$log" 2>&1; then
    cat "$log" >&2
    say "could not create the Wine prefix (log above, also in $log)"
    exit 1
  fi
  # The caption buttons are drawn with Marlett; without it the close box shows an "r".
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  printf '%s\n' "$stamp_text" >"$stamp"
  say "Wine prefix ready in $((SECONDS - started)) s"
}

if [ "$(cat "$stamp" 2>/dev/null)" != "$stamp_text" ]; then
  make_prefix
fi

# --- 4. build ----------------------------------------------------------------------------------
cmake --preset linux-mingw >/dev/null
cmake --build --preset linux-mingw -j "$(nproc)"
