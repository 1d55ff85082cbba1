#!/usr/bin/env bash
# Pictures of every wizard page, in English and in French, for a person to
# look at. Starts the installer under Wine on a virtual screen with a window manager, walks
# through the pages by keys with xdotool (an advanced installation left
# before it starts, a quick one carried out, the reinstallation question,
# the language list), then the help box of /? and the progress window of
# /SILENT, and saves PNG files under build/windows/screens/.
#
#   scripts/screens.sh [program.exe]
#
# Environment: AV_SCREENS_DIR (default build/windows/screens),
# AV_SCREENS_RUN_SECONDS (time given to the installation, default 15).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/windows/bin"
out="${AV_SCREENS_DIR:-$root/build/windows/screens}"
program="${1:-$bin/Install.exe}"
[ -f "$program" ] || { echo "screens: $program is missing; build the windows preset first" >&2; exit 1; }
for tool in Xvfb openbox xdotool xwd convert wine localedef; do
  command -v "$tool" >/dev/null || { echo "screens: $tool is missing" >&2; exit 1; }
done
mkdir -p "$out"

work="$(mktemp -d "${TMPDIR:-/tmp}/av-screens.XXXXXX")"
pids=()
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Wine takes the user's language from the Unix locale: build the two
# locales here rather than relying on the machine's generated ones.
export LOCPATH="$work/locales"
mkdir -p "$LOCPATH"
localedef -i en_US -f UTF-8 "$LOCPATH/en_US.UTF-8" >/dev/null 2>&1 || true
localedef -i fr_FR -f UTF-8 "$LOCPATH/fr_FR.UTF-8" >/dev/null 2>&1 || true

# A free display, and a window manager so that keys reach Wine's windows.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Without key bindings of its own, so that Alt+Space opens the wizard's
# system menu rather than the window manager's.
cat >"$work/openbox.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew></focus>
  <placement><policy>Smart</policy></placement>
  <keyboard></keyboard>
</openbox_config>
XML
openbox --config-file "$work/openbox.xml" >/dev/null 2>&1 &
pids+=($!)
sleep 1

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

shot() {  # shot NAME: the whole screen
  sleep 0.6
  # The screen cropped to what is drawn on it.
  xwd -root -silent | convert xwd:- -trim +repage "png:$out/$1.png"
  echo "  $1.png"
}
key() { xdotool key --clearmodifiers "$@" 2>/dev/null || true; sleep 0.4; }

# Starts the program in a language and waits for its frame.
start() {  # start LOCALE [ARGS...]
  local locale="$1"
  shift
  LC_ALL="$locale" LANG="$locale" wine "$program" "$@" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    if window="$(xdotool search --onlyvisible --name 'Install' 2>/dev/null | head -1)" && [ -n "$window" ]; then
      xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
      sleep 1
      return 0
    fi
    sleep 0.2
  done
  echo "screens: no wizard window appeared" >&2
  return 1
}
# Checks the title of the active window; a mismatch is reported and makes
# the script fail at the end.
failures=0
expect_title() {  # expect_title TEXT WHAT
  local title
  title="$(xdotool getactivewindow getwindowname 2>/dev/null || true)"
  if [ "$title" = "$1" ]; then
    echo "  ok: $2"
  else
    echo "  FAILED: $2: the active window reads '$title', expected '$1'" >&2
    failures=$((failures + 1))
  fi
}

# Checks that a box of the wizard is up in front of its frame.
expect_box() {  # expect_box WHAT
  local active
  active="$(xdotool getactivewindow 2>/dev/null || true)"
  if [ -n "$active" ] && [ "$active" != "$window" ]; then
    echo "  ok: $1"
  else
    echo "  FAILED: $1: no box in front of the wizard" >&2
    failures=$((failures + 1))
  fi
}

stop() {
  wineserver -k >/dev/null 2>&1 || true
  sleep 0.5
}

# Each language gets a machine of its own, fresh from the runner's template.
use_prefix() {  # use_prefix NAME
  AV_WINE_KEEP_PREFIX="$work/prefix-$1" "$root/scripts/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  export WINEPREFIX="$work/prefix-$1"
}

walk() {  # walk PREFIX LOCALE
  local p="$1" locale="$2"
  echo "$p ($locale):"
  use_prefix "$p"
  # Advanced installation, not carried out: Tab from Next to the first
  # radio button, Down to the second.
  start "$locale"
  key Return
  key Tab Tab Tab Down
  key Return;           shot "$p-2-folder"
  key Return;           shot "$p-3-shortcut"
  key Return;           shot "$p-4-install-advanced"
  stop
  # Quick installation, carried out.
  start "$locale"
  shot "$p-0-start"
  key Return;           shot "$p-1-mode"
  key Return;           shot "$p-4-install"
  key Escape;           shot "$p-4-cancel-question"
  key Return                               # No: the wizard stays
  key Return
  sleep "${AV_SCREENS_RUN_SECONDS:-15}"   # the installation runs
  shot "$p-4-installed"
  key Return;           shot "$p-5-end"
  key alt+space Up Return; shot "$p-about"
  key Return
  stop
  # The same version again: the reinstallation question.
  start "$locale"
  shot "$p-0-start-reinstall"
  stop
}

walk en en_US.UTF-8
walk fr fr_FR.UTF-8

# Language list, from English: French relabels everything at once; Greek
# (after Dutch and Polish, which also lack installer texts) shows message
# 129 and the texts stay English.
echo "language list:"
use_prefix list
start en_US.UTF-8
key Tab Tab
expect_title "Installer – Korvaline 6.03g" "the fresh installation starts in English"
key Up;                 shot "list-0-french-start"
expect_title "Installeur – Korvane 6.03g" "French chosen in the list: the title is French at once"
key Return;             shot "list-1-french-mode"
key shift+Tab shift+Tab shift+Tab   # back to the Start page by the Back button
key space;              shot "list-2-french-start-again"
key Tab Tab
key Down Down Down Down Down        # English, Deutsch, Español, Italiano, Português
key Down;               shot "list-3-dutch-notice"
key Return
key Down;               key Return   # Polski
key Down;               shot "list-4-greek-notice"
expect_box "Greek chosen: a notice (message 129) is shown"
expect_title "Installer – Korvaline 6.03g" "the notice's caption is the English title"
key Return;             shot "list-5-greek-start"
expect_title "Installer – Korvaline 6.03g" "after Greek the wizard stays in English"
[ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] || { echo "  FAILED: the notice is still up" >&2; failures=$((failures + 1)); }
stop

# The command line: the help box in English and French, and the window of
# /SILENT while it installs (it closes by itself when the run is over).
echo "command line:"
use_prefix command-line
start en_US.UTF-8 "/?";            shot "help-en"
expect_title "Installer – Korvaline 6.03g" "the help box carries the application title"
key Return
stop
start en_US.UTF-8 /LANG=0 /HELP;   shot "help-fr"
key Return
stop
start en_US.UTF-8 /LANG=1 /BOGUS;  shot "help-unknown-switch"
key Return
stop
# The run of the sample product takes a second or two: pictures are taken
# as fast as possible while the window is up, and the last one with the
# window on it is kept.
LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 wine "$program" /SILENT /LANG=1 >/dev/null 2>&1 &
pids+=($!)
seen=0
for _ in $(seq 300); do
  if xdotool search --onlyvisible --name 'Install' >/dev/null 2>&1; then
    xwd -root -silent >"$work/silent.xwd" && cp "$work/silent.xwd" "$work/silent-last.xwd"
    seen=1
  elif [ "$seen" = 1 ]; then
    break
  fi
  sleep 0.1
done
if [ -f "$work/silent-last.xwd" ]; then
  convert "xwd:$work/silent-last.xwd" -trim +repage "png:$out/silent-progress.png"
  echo "  silent-progress.png"
else
  echo "  FAILED: the /SILENT window did not show" >&2
  failures=$((failures + 1))
fi
if xdotool search --onlyvisible --name 'Install' >/dev/null 2>&1; then
  echo "  FAILED: the /SILENT window did not close by itself" >&2
  failures=$((failures + 1))
else
  echo "  ok: the /SILENT window closed by itself"
fi
stop
echo "screens in $out"
[ "$failures" = 0 ]
