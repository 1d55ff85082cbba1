#!/usr/bin/env bash
# Builds the Windows installer (with the sample product as its payload) and
# starts it under Wine, in a Wine prefix kept in build/windows/wine-prefix so
# that what it installed can be looked at afterwards.
#
# With a display (DISPLAY set) the wizard opens. Without one, the sample
# product is installed unattended into a fresh prefix, and the run's log and
# where everything went are printed. Arguments are passed to the installer
# (for example /LANG=0 for French, or /VERYSILENT to skip the wizard).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows

installer=build/windows/bin/Install.exe
prefix="$PWD/build/windows/wine-prefix"
export AV_WINE_KEEP_PREFIX="$prefix"

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$installer" "$@"
fi

echo "run: no display: installing the sample product unattended into a fresh prefix, $prefix"
rm -rf "$prefix"
status=0
scripts/wine-run.sh "$installer" /VERYSILENT '/LOG=C:\install-log.txt' "$@" || status=$?
echo
echo "--- the installation's log (C:\\install-log.txt)"
cat "$prefix/drive_c/install-log.txt" 2>/dev/null | tr -d '\r' || echo "(no log)"
echo
echo "--- installed files"
for folder in "Program Files/Arvell & Divizere" "ProgramData/Arvell & Divizere" \
              "ProgramData/Microsoft/Windows/Start Menu/Programs/Arvell & Divizere" \
              "users/Public/Desktop"; do
  [ -d "$prefix/drive_c/$folder" ] && (cd "$prefix/drive_c" && find "$folder" -type f | sed 's|^|C:/|')
done
find "$prefix/drive_c/users" -path '*AppData/Roaming/Arvell & Divizere/*' -type f 2>/dev/null | sed "s|^$prefix/drive_c/|C:/|"
echo
echo "--- registry"
WINEPREFIX="$prefix" WINEDEBUG=-all wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane 6' 2>/dev/null | tr -d '\r' || true
WINEPREFIX="$prefix" WINEDEBUG=-all wine reg query 'HKLM\Software\Arvell & Divizere' 2>/dev/null | tr -d '\r' || true
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
echo "run: the installer ended with exit code $status"
exit "$status"
