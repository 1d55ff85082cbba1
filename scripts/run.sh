#!/usr/bin/env bash
# Builds the Windows installer (with the sample product as its payload) and
# starts it under Wine, in a Wine prefix kept in build/windows/wine-prefix so
# that what it installed can be looked at afterwards.
#
# With a display (DISPLAY set) the wizard opens. Without one, the sample
# product is installed unattended into a fresh prefix, and the run's log and
# where everything went are printed. Arguments are passed to the installer
# (for example /LANG=0 for French, or /VERYSILENT to skip the wizard).
#
# Either way the installer's whole Windows exit code is printed (1603, not
# the 67 that Wine hands Unix): a small program of the build starts the
# installer and reads it back. This script's own exit status is 0 when that
# code is 0, else 1.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows

installer=build/windows/bin/Install.exe
probe=build/windows/bin/lifecycle_probe.exe
prefix="$PWD/build/windows/wine-prefix"
export AV_WINE_KEEP_PREFIX="$prefix"

# The installer's command line: its own path (as Wine sees the host's
# files) and the arguments, as given.
windows_installer="Z:$(readlink -f "$installer" | tr / '\\')"
command_line="\"$windows_installer\""
for argument in "$@"; do command_line+=" $argument"; done

# run_installer: starts the installer through the probe; sets code.
run_installer() {
  local out
  out=$(scripts/wine-run.sh "$probe" run "$command_line" | tr -d '\r') || true
  case $out in
    exit=*) code=${out#exit=} ;;
    *) code="(the installer could not be started)" ;;
  esac
}

if [ -n "${DISPLAY:-}" ]; then
  run_installer
  echo "run: the installer ended with Windows exit code $code"
  [ "$code" = 0 ]
  exit
fi

echo "run: no display: installing the sample product unattended into a fresh prefix, $prefix"
rm -rf "$prefix"
command_line+=" /VERYSILENT /LOG=C:\\install-log.txt"
run_installer
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
echo "run: the installer ended with Windows exit code $code"
[ "$code" = 0 ]
