#!/usr/bin/env bash
# Builds the Windows installer (with the sample product as its payload) and
# starts it under Wine, in a Wine prefix kept in build/windows/wine-prefix so
# that what it installed can be looked at afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows

installer=build/windows/bin/Install.exe
if [ ! -f "$installer" ]; then
  echo "run: $installer is not built yet" >&2
  exit 1
fi
export AV_WINE_KEEP_PREFIX="$PWD/build/windows/wine-prefix"
exec scripts/wine-run.sh "$installer" "$@"
