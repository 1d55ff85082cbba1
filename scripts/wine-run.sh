#!/usr/bin/env bash
# Runs one Windows program under Wine in a throw-away prefix, and gives back
# its exit code. Used by CTest as the cross-compiling emulator, and by the
# scripts that start the installer.
#
# A template prefix is booted once per machine and Wine version (booting takes
# tens of seconds); each run gets a fresh copy of it, so that runs neither see
# nor spoil each other's registry and files. Without a display, the program
# gets a virtual screen (Xvfb) so that it can create windows.
#
# Environment:
#   AV_WINE_KEEP_PREFIX=DIR  use (and keep) DIR as the prefix, copying the
#                            template into it when it is empty
#   AV_WINE_ARCH=win32|win64 the template's architecture (default win32):
#                            a 32-bit Windows, or a 64-bit one on which a
#                            32-bit program sees "C:\Program Files (x86)"
#                            and the registry's Wow6432Node
set -u

cache="${AV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane-installer}"
arch="${AV_WINE_ARCH:-win32}"
version="$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' _)"
template="$cache/wine/template-$arch-$version"

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

case $arch in
  win32 | win64) ;;
  *) echo "wine-run: AV_WINE_ARCH must be win32 or win64, not $arch" >&2; exit 2 ;;
esac

mkdir -p "$cache/wine"
(
  flock 9
  if [ ! -f "$template/.complete" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" WINEARCH="$arch" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.complete"
  fi
) 9>"$cache/wine/template-$arch.lock"

# copy_template DEST: a prefix of its own. Wine's program files below
# drive_c/windows (about 95% of the prefix, 0.6 or 1.2 GB) are hard links to
# the template's when both are on one file system: Wine only ever reads
# them, and copying them took most of a short run's time. Everything else
# (the registry, ini files, the user's folders) is a copy.
copy_template() {
  local dest=$1
  if cp -al "$template/." "$dest/" 2>/dev/null; then
    (
      cd "$dest" &&
        find . -type f ! \( -path './drive_c/windows/*' \
          -regex '.*\.\(dll\|exe\|drv\|sys\|ocx\|vxd\|cpl\|nls\|tlb\|acm\|ax\)' \) -print0 |
        while IFS= read -r -d '' file; do
          cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file" || exit 1
        done
    ) && return 0
    rm -rf "${dest:?}/"* "$dest"/.[!.]* 2>/dev/null
  fi
  cp -a "$template/." "$dest/"
}

if [ -n "${AV_WINE_KEEP_PREFIX:-}" ]; then
  prefix="$AV_WINE_KEEP_PREFIX"
  keep=1
  mkdir -p "$prefix"
  [ -f "$prefix/system.reg" ] || copy_template "$prefix"
else
  prefix="$(mktemp -d "${TMPDIR:-/tmp}/av-wine.XXXXXX")"
  keep=0
  copy_template "$prefix"
fi
export WINEPREFIX="$prefix"

screen_pid=
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  [ -z "$screen_pid" ] || kill "$screen_pid" 2>/dev/null || true
  [ "$keep" = 1 ] || rm -rf "$prefix"
}
trap cleanup EXIT

# Without a display, a virtual screen of this run's own: Xvfb picks a free
# display and names it on fd 3, so that runs side by side never race for one.
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
  screen_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  [ -s "$display_file" ] && export DISPLAY=":$(tr -d '\n' <"$display_file")"
  rm -f "$display_file"
fi
wine "$@"
rc=$?
# The program's children too, and the registry saved, before the screen goes.
WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
exit $rc
