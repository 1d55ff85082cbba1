#!/usr/bin/env bash
# Lifecycle tests of the installer under Wine: whole installations driven by
# the installer's unattended mode, each scenario in a fresh Wine prefix (a
# copy of the template that scripts/wine-run.sh boots), and the machine
# checked afterwards: the files of drive_c, the whole registry, the
# shortcuts, the uninstall log and the installer's own log.
#
#   lifecycle.sh SCENARIO [win32|win64]
#
# win32 (the default) is a 32-bit Windows; win64 a 64-bit one, where this
# 32-bit installer lives under "C:\Program Files (x86)" and its registry keys
# under "Wow6432Node".
#
# Environment: AV_BUILD_DIR (the windows build folder) and AV_SOURCE_DIR
# (set by CTest); AV_LIFECYCLE_KEEP=1 keeps the work folder (prefix,
# snapshots, logs) for a look afterwards.
#
# A snapshot of the machine is three files:
#  - NAME.files: every entry below drive_c, one line each: path, type, mode
#    (the write bits are how Wine keeps the read-only attribute), and for a
#    file its size and SHA-256. Below drive_c/windows (Wine's own system,
#    about 600 MB) files are listed by size and modification time instead of
#    hashed: nothing of the product goes there, and any write would change
#    the time. Nothing is left out: the user's Temp folder is listed like
#    any other, so a temporary folder, a backup or a copy of the uninstaller
#    left behind shows as a difference.
#  - NAME.hive: the whole of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER as Wine
#    saves them (system.reg, user.reg; written when the last program of the
#    prefix has ended), one line per value, key times left out, without the
#    values Wine rewrites on its own (wine_own_values below).
#  - NAME.reg: the product's registry keys as the probe reads them through
#    the registry API in the installer's own view (the uninstall key, the
#    maker's key, HKCR\.kvn and HKCR\Korvane.Document), with all values and
#    subkeys.
#
# Every installer and uninstaller run prints its whole Windows exit code
# (Wine hands Unix only its low 8 bits; the probe reads the real one).
#
# Not checked, because Wine does not keep them: the access lists of the data
# files and folders (SetFileSecurityW succeeds and keeps nothing), and
# RegRestoreKeyW (it reports success and changes nothing), so the restore of
# an uninstall key that existed before a failed run is not exercised here.
#
# A new scenario is a function scenario_NAME here and its name in the list
# of CMakeLists.txt beside this script.
set -uo pipefail

scenario=${1:?usage: lifecycle.sh SCENARIO [win32|win64]}
arch=${2:-win32}
case $arch in
  win32 | win64) export AV_WINE_ARCH=$arch ;;
  *) echo "unknown architecture: $arch" >&2; exit 2 ;;
esac
build=${AV_BUILD_DIR:?AV_BUILD_DIR is not set}
source=${AV_SOURCE_DIR:?AV_SOURCE_DIR is not set}
installer=$build/bin/Install.exe
probe_exe=$build/bin/lifecycle_probe.exe
product=$build/product
# The named objects of the product family (application id "Korvane6").
installer_mutex='Global\Korvane6.{5ead623c-dfcd-474d-8e3c-e6978cac039e}'
running_counter='Global\Korvane6.{a3526b56-ca7c-4e16-8a26-da7758a378fd}'

avpack=$build/host-tools/bin/avpack
[ -x "$avpack" ] || avpack=$source/build/native/bin/avpack

work=$(mktemp -d "${TMPDIR:-/tmp}/av-lifecycle.XXXXXX")
prefix=$work/prefix
screen_pid=
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  [ -z "$screen_pid" ] || kill "$screen_pid" 2>/dev/null || true
  if [ "${AV_LIFECYCLE_KEEP:-0}" = 1 ]; then
    echo "kept: $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

# Wine passes command lines and file names between Unix and Windows in the
# character set of the locale: UTF-8, so that any letter reaches the
# installer.
export LC_ALL=C.UTF-8

# winemenubuilder turns every shortcut saved in the start menu or on a
# desktop into menu entries and icons in the host user's home, outside the
# prefix, where tests would share them.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEDEBUG=${AV_LIFECYCLE_WINEDEBUG:--all}

# Without a display, one virtual screen for the whole scenario, so that the
# programs it runs can make windows (as under wine-run.sh) without a screen
# started for each of them. Xvfb picks a free display and names it on fd 3.
# The display this script was given, for a second run (retry_after_wine_crash).
outer_display=${DISPLAY-}
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  screen_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "FAILED: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  DISPLAY=:$(tr -d '\n' <"$work/display")
  export DISPLAY
fi

keys=('HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane 6'
      'HKLM\Software\Arvell & Divizere'
      'HKCR\.kvn'
      'HKCR\Korvane.Document')

# The English texts of the installer (/LANG=1) name the product so.
label='Korvaline 6.03g'
short_name='Korvaline'
folder_name='Korvaline 6'

# --- reporting ---------------------------------------------------------------
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff -u <(printf '%s\n' "$3") <(printf '%s\n' "$2") | sed -n '3,80p' | sed 's/^/    /' >&2
  fi
}
# expect_file_eq WHAT ACTUAL_FILE EXPECTED_FILE
expect_file_eq() {
  if ! cmp -s "$2" "$3"; then
    fail "$1"
    diff -u "$3" "$2" | sed -n '3,80p' | sed 's/^/    /' >&2
  fi
}
# Stops the scenario at once: what follows would only report consequences.
fatal() {
  echo "FAILED: $*" >&2
  exit 1
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$scenario ($arch): $failures check(s) failed" >&2
    retry_after_wine_crash
    exit 1
  fi
  echo "$scenario ($arch): passed"
  exit 0
}

# Wine itself crashes now and then (about once in a hundred scenarios, in a
# process of its own); its debugger then writes keys and files that fail the
# snapshots. Such a scenario runs once more in a fresh prefix and counts by
# that second run; a second crash, or any failure without one, stands.
wine_crashed=0
retry_after_wine_crash() {
  [ "$wine_crashed" = 1 ] && [ -z "${AV_LIFECYCLE_RETRIED:-}" ] || return 0
  echo "$scenario ($arch): Wine's debugger ran during the scenario; running it once more in a fresh prefix" >&2
  cleanup
  trap - EXIT
  if [ -n "$outer_display" ]; then export DISPLAY=$outer_display; else unset DISPLAY; fi
  AV_LIFECYCLE_RETRIED=1 bash "${BASH_SOURCE[0]}" "$scenario" "$arch"
  exit $?
}

# --- Wine --------------------------------------------------------------------
# Runs a Windows program in this scenario's prefix; wine-run.sh waits until
# every process of the prefix has ended (wineserver -w), so a program's
# children (the uninstaller's copy that removes it) are done too.
# win_wrapper: a command (and its arguments) to run wine-run.sh under.
win_wrapper=()
win() {
  AV_WINE_KEEP_PREFIX=$prefix "${win_wrapper[@]}" "$source/scripts/wine-run.sh" "$@"
}
probe() {
  win "$probe_exe" "$@"
}

# C:\a\b -> <prefix>/drive_c/a/b
unix_path() {
  local p=${1#[Cc]:}
  printf '%s/drive_c%s' "$prefix" "${p//\\//}"
}
# ./a/b (relative to drive_c) -> C:\a\b
windows_path() {
  local p=${1#.}
  p=${p//\//\\}
  printf 'C:%s' "$p"
}
# a host path -> Z:\...
host_path() {
  local p
  p=$(readlink -f "$1")
  printf 'Z:%s' "${p//\//\\}"
}

new_prefix() {
  [ -f "$probe_exe" ] || fatal "the probe is not built: $probe_exe"
  local folders
  folders=$(probe folder 38 35 26 25 23) || fatal "the Wine prefix cannot be made"
  mapfile -t folders <<<"$folders"
  program_files=${folders[0]#folder=}
  common_data=${folders[1]#folder=}
  user_data=${folders[2]#folder=}
  common_desktop=${folders[3]#folder=}
  common_programs=${folders[4]#folder=}
  # The template links the user's Desktop, Documents and the like to the
  # host's home folder; a write there would escape the prefix (and the
  # snapshots), so they become ordinary folders.
  local link
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm "$link" && mkdir "$link"
    fi
  done
  # Where the 32-bit installer's keys lie in the registry files: on a 64-bit
  # Windows its view of HKLM\Software is Wow6432Node; the classes of HKCR
  # are shared by both views.
  if [ "$arch" = win64 ]; then
    [ "$program_files" = 'C:\Program Files (x86)' ] ||
      fatal "a 32-bit program on a 64-bit Windows gets $program_files for its programs"
    software_key='HKLM\Software\Wow6432Node'
  else
    [ "$program_files" = 'C:\Program Files' ] || fatal "the programs folder is $program_files"
    software_key='HKLM\Software'
  fi
  classes_key='HKLM\Software\Classes'
  install_dir="$program_files\\Arvell & Divizere\\$folder_name"
  menu_dir="$common_programs\\Arvell & Divizere\\$folder_name"
  samples_dir="$common_desktop\\$short_name Examples"
}

# --- snapshots ---------------------------------------------------------------
# Values Wine rewrites by itself at every start of a program, whatever the
# program does; a snapshot leaves them out ("KEY<TAB>"name"=" as hive lines
# begin):
#  - the display adapter's "DriverDateData": the display driver stores the
#    time of its own start there;
#  - the default values (the class names) of the display adapter and monitor
#    device classes: the display driver registers its devices anew at a
#    program's start, and the names come and go with that;
#  - the 32-bit view's Fonts key on a 64-bit Windows: Wine's font system
#    creates it, empty, the first time a 32-bit program starts it.
wine_own_values=(
  $'HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000\t"DriverDateData"='
  $'HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\t@='
  $'HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\t@='
  $'HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Fonts\t'
)
# flatten_hive ROOT FILE: a registry file of Wine as lines "KEY<TAB>VALUE",
# and "KEY<TAB>" for every key, so that an empty key shows too; key times
# and "#time=" lines are dropped, a value split over lines is joined.
flatten_hive() {
  awk -v root="$1" '
    function flush() { if (value != "") { print key "\t" value; value = "" } }
    /^#time=/ { next }
    /^\[/ {
      flush()
      key = $0
      sub(/\] [0-9]+$/, "", key)
      sub(/^\[/, "", key)
      gsub(/\\\\/, "\\", key)
      key = root "\\" key
      print key "\t"
      inkey = 1
      next
    }
    inkey && /^$/ { flush(); inkey = 0; next }
    inkey {
      value = value (value == "" ? $0 : substr($0, 3))
      if (value ~ /\\$/) { sub(/\\$/, "", value); next }
      flush()
    }
    END { flush() }' "$2"
}
snapshot() {
  local name=$1
  (
    cd "$prefix/drive_c" || exit 1
    {
      find ./windows -printf '%p\t%y\t%M\t%s\t%T@\n'
      find . -path ./windows -prune -o ! -type f -printf '%p\t%y\t%M\t%l\n'
      find . -path ./windows -prune -o -type f -print0 |
        while IFS= read -r -d '' f; do
          printf '%s\tf\t%s\t%s\t%s\n' "$f" "$(stat -c '%A' "$f")" "$(stat -c '%s' "$f")" \
            "$(sha256sum <"$f" | cut -c1-64)"
        done
    } | LC_ALL=C sort
  ) >"$work/$name.files"
  probe registry "${keys[@]}" >"$work/$name.reg" || fatal "the registry cannot be read"
  # The probe's run ended with every program of the prefix: Wine has saved
  # the registry.
  local pattern
  { flatten_hive HKLM "$prefix/system.reg"; flatten_hive HKCU "$prefix/user.reg"; } |
    grep -v -F -f <(for pattern in "${wine_own_values[@]}"; do printf '%s\n' "$pattern"; done) |
    LC_ALL=C sort >"$work/$name.hive"
  [ -s "$work/$name.hive" ] || fatal "the registry files of the prefix cannot be read"
}
# expect_same_machine WHAT BEFORE AFTER
expect_same_machine() {
  expect_file_eq "$1: files of drive_c" "$work/$3.files" "$work/$2.files"
  expect_file_eq "$1: the product's registry keys" "$work/$3.reg" "$work/$2.reg"
  expect_file_eq "$1: the registry (HKLM and HKCU)" "$work/$3.hive" "$work/$2.hive"
  # Wine's debugger leaves its key when a program of the prefix crashed.
  if grep -q -F $'HKCU\\Software\\Wine\\WineDbg\t' "$work/$3.hive" &&
    ! grep -q -F $'HKCU\\Software\\Wine\\WineDbg\t' "$work/$2.hive"; then
    echo "    note: a program crashed between the two snapshots (Wine's debugger ran); see \"wine: Unhandled\" above" >&2
    wine_crashed=1
  fi
}
# Registry keys (as in NAME.hive) with a value or key that is new or changed
# in AFTER, or gone from it, sorted and unique.
changed_keys() {
  LC_ALL=C comm -3 "$work/$1.hive" "$work/$2.hive" | sed 's/^\t//' | cut -f1 | LC_ALL=C sort -u
}
# Paths (Windows form) that are new or changed in AFTER, sorted.
changed_paths() {
  LC_ALL=C comm -13 "$work/$1.files" "$work/$2.files" | cut -f1 |
    while IFS= read -r p; do windows_path "$p"; echo; done | LC_ALL=C sort
}
# Lines of BEFORE that are gone or changed in AFTER.
lost_lines() {
  LC_ALL=C comm -23 "$work/$1.files" "$work/$2.files"
}

# --- the installer -----------------------------------------------------------
runs=0
# run_installer ARGUMENTS: sets exit_code and run_log (the /LOG file, UTF-8,
# kept outside the prefix so that it is no part of the snapshots).
run_installer() {
  run_installer_with run -- "$@"
}
# run_installer_with PROBE_COMMAND... -- INSTALLER_ARGUMENTS: the same,
# started by the probe's command (run, hold FILE, mutex NAME...);
# installer_exe (default: the built installer) is the program started.
run_installer_with() {
  local -a how=()
  while [ "$1" != -- ]; do how+=("$1"); shift; done
  shift
  local exe=${installer_exe:-$installer}
  [ -f "$exe" ] || fatal "the installer is not built: $exe"
  runs=$((runs + 1))
  run_log=$work/install-$runs.log
  local out
  out=$(probe "${how[@]}" "\"$(host_path "$exe")\" /VERYSILENT /LANG=1 /LOG=\"$(host_path "$run_log")\" $*")
  exit_code=${out#exit=}
  echo "installer run $runs ($*): Windows exit code $exit_code"
  [ -f "$run_log" ] || touch "$run_log"
}
# expect_log_line TEXT: the installer's log of the last run holds the line.
expect_log_line() {
  if ! tr -d '\r' <"$run_log" | grep -q -x -F -- "$1"; then
    fail "the installer's log has no line \"$1\""
    sed 's/^/    log: /' "$run_log" >&2
  fi
}
expect_exit() {
  if [ "$exit_code" != "$1" ]; then
    fail "the installer's exit code is $exit_code, expected $1"
    sed 's/^/    log: /' "$run_log" >&2
  fi
}

# The payload's table: kind, destination folder, source file (host path).
payload_rows() {
  [ -f "$product/payload.bz2" ] || fatal "no payload: $product/payload.bz2"
  "$avpack" list "$product/payload.bz2" | tail -n +2 | cut -f2,5,6
}
# A payload destination folder on this machine.
resolve() {
  local dest=$1 head rest
  head=${dest%%\\*}
  rest=${dest#"$head"}
  case $head in
    '<InstallPath>') printf '%s%s' "$install_dir" "$rest" ;;
    '<SamplePath>') printf '%s%s' "$samples_dir" "$rest" ;;
    '<CommonData>') printf '%s%s' "$common_data" "$rest" ;;
    '<UserData>') printf '%s%s' "$user_data" "$rest" ;;
    *) fatal "destination not handled by this test: $dest" ;;
  esac
}
# kind<TAB>Windows path<TAB>host source, one line per payload file. The
# table keeps the sources as the manifest named them: relative ones are
# relative to the manifest's folder.
payload_files() {
  local kind dest src
  while IFS=$'\t' read -r kind dest src; do
    [[ $src = /* ]] || src=$product/$src
    printf '%s\t%s\\%s\t%s\n' "$kind" "$(resolve "$dest")" "${src##*/}" "$src"
  done < <(payload_rows)
}

# The product's size as the program list shows it ("EstimatedSize"): every
# payload file but the temporary ones, in KiB rounded up.
payload_kib() {
  local kind path src bytes=0
  while IFS=$'\t' read -r kind path src; do
    [ "$kind" = 5 ] && continue
    bytes=$((bytes + $(stat -c %s "$src")))
  done < <(payload_files)
  echo $(((bytes + 1023) / 1024))
}

# The entries a first installation on this machine must record, in order,
# without their indexes ("code:flag -- path"). Run before the installation:
# a folder is recorded when it does not exist yet.
declare -A made_folders
expect_created_folders() {
  local folder=$1 acc part
  acc=${folder%%\\*}
  local -a parts
  IFS='\' read -ra parts <<<"${folder#*\\}"
  for part in "${parts[@]}"; do
    acc="$acc\\$part"
    if [ -z "${made_folders[$acc]:-}" ] && [ ! -d "$(unix_path "$acc")" ]; then
      made_folders[$acc]=1
      echo "00ff:1 -- $acc"
    fi
  done
}
expected_fresh_entries() {
  made_folders=()
  local kind path src
  while IFS=$'\t' read -r kind path src; do
    [ "$kind" = 5 ] && continue  # temporary files are not recorded
    expect_created_folders "${path%\\*}"
    printf '01%02x:1 -- %s\n' "$kind" "$path"
  done < <(payload_files)
  expect_created_folders "$menu_dir"
  echo "02ff:1 -- $menu_dir\\$label.lnk"
  echo "03ff:1 -- $menu_dir\\Uninstall $short_name.lnk"
  expect_created_folders "$common_desktop"
  echo "04ff:1 -- $common_desktop\\$label.lnk"
  echo '05ff:1 -- HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane 6'
  echo '06ff:1 -- HKEY_CLASSES_ROOT\...'
}

# --- the uninstall log -------------------------------------------------------
# read_ulog NAME: checks the encoding (UTF-16 LE with FF FE, CR LF after
# every line) and leaves the text in NAME.ulog (UTF-8, without CR); the
# header in NAME.header, the entries without indexes in NAME.entries.
read_ulog() {
  local name=$1 file
  file=$(unix_path "$install_dir\\Uninstall.ulog")
  [ -f "$file" ] || { fail "no uninstall log at $install_dir\\Uninstall.ulog"; return 1; }
  [ "$(head -c 2 "$file" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "the uninstall log does not begin with FF FE"
  local text
  text=$(tail -c +3 "$file" | iconv -f UTF-16LE -t UTF-8) || fail "the uninstall log is not UTF-16 LE"
  [ "$(tail -c 4 "$file" | od -An -tx1 | tr -d ' ')" = 0d000a00 ] || fail "the uninstall log's last line does not end with CR LF"
  if printf '%s\n' "$text" | grep -qv $'\r$'; then
    fail "a line of the uninstall log does not end with CR LF"
  fi
  printf '%s\n' "$text" | tr -d '\r' >"$work/$name.ulog"
  head -n 6 "$work/$name.ulog" >"$work/$name.header"
  local index=0 line
  : >"$work/$name.entries"
  while IFS= read -r line; do
    local expected_index
    expected_index=$(printf '%04d' "$index")
    if [[ $line =~ ^([0-9]+):([0-9a-f]{4}):([01])\ --\ (.*)$ ]]; then
      [ "${BASH_REMATCH[1]}" = "$expected_index" ] || fail "entry index ${BASH_REMATCH[1]}, expected $expected_index"
      printf '%s:%s -- %s\n' "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}" >>"$work/$name.entries"
    else
      fail "malformed entry line: $line"
    fi
    index=$((index + 1))
  done < <(tail -n +7 "$work/$name.ulog")
}
# expect_header NAME LINE3
expect_header() {
  local shortcut_line="Shortcut Path : $menu_dir"
  expect_eq "the uninstall log's header" "$(cat "$work/$1.header")" \
"// Uninstall Log File v1
// ############ WARNING: Do not delete or modify this file. ############
// $2
// Install Path : $install_dir
// $shortcut_line
// $(printf '%*s' "${#shortcut_line}" '' | tr ' ' -)"
}

# --- what a complete installation leaves --------------------------------------
expect_payload_installed() {
  local kind path src
  while IFS=$'\t' read -r kind path src; do
    [ "$kind" = 5 ] && continue
    cmp -s "$src" "$(unix_path "$path")" || fail "$path is not equal to $src"
  done < <(payload_files)
}
expect_read_only() {
  local attributes i=0
  mapfile -t attributes < <(probe attributes "$@")
  for path in "$@"; do
    local a=${attributes[$i]:-absent}
    if [ "${a#attributes=}" = "$a" ]; then
      fail "$path: no attributes ($a)"
    elif (( (16#${a#attributes=} & 1) == 0 )); then
      fail "$path is not read-only ($a)"
    fi
    i=$((i + 1))
  done
}
expect_registration() {
  local dump url phone
  dump=$(awk -v key="[${keys[0]}]" '$0 == key {on = 1; print; next} /^\[/ {on = 0} on' "$work/$1.reg")
  url=$(printf '%s\n' "$dump" | sed -n 's/^"URLInfoAbout"=sz:\(.*\)\\x00$/\1/p')
  phone=$(printf '%s\n' "$dump" | sed -n 's/^"HelpTelephone"=sz:\(.*\)\\x00$/\1/p')
  [[ $url =~ ^https?://[^[:space:]]+$ ]] || fail "URLInfoAbout is not a web address: '$url'"
  [[ $phone =~ [0-9] ]] || fail "HelpTelephone holds no number: '$phone'"
  expect_eq "the uninstall key's twelve values and the three package managers read" "$dump" \
"[${keys[0]}]
\"AvLanguage\"=dword:00000001
\"DisplayIcon\"=sz:$install_dir\\Korvane.exe,0\\x00
\"DisplayName\"=sz:$label\\x00
\"DisplayVersion\"=sz:6.3.7.1\\x00
\"EstimatedSize\"=dword:$(printf '%08x' "$(payload_kib)")
\"HelpLink\"=sz:$url\\x00
\"HelpTelephone\"=sz:$phone\\x00
\"InstallLocation\"=sz:$install_dir\\x00
\"NoModify\"=dword:00000001
\"NoRepair\"=dword:00000001
\"Publisher\"=sz:Arvell & Divizere\\x00
\"QuietUninstallString\"=sz:\"$install_dir\\Uninstall.exe\" /S\\x00
\"URLInfoAbout\"=sz:$url\\x00
\"URLUpdateInfo\"=sz:$url\\x00
\"UninstallString\"=sz:$install_dir\\Uninstall.exe\\x00"
  expect_eq "the product path value" \
    "$(awk -v key="[${keys[1]}]" '$0 == key {on = 1; print; next} /^\[/ {on = 0} on' "$work/$1.reg")" \
"[${keys[1]}]
\"Korvane 6 Path\"=sz:$install_dir\\Korvane.exe\\x00"
}
# expect_registered_with NAME ARGUMENTS: what the registration run received.
expect_registered_with() {
  expect_eq "the product's registration run" \
    "$(grep -E '^\[HKCR\\\.kvn\]$|^@=sz:Korvane\.Document|^"RegisteredWith"=' "$work/$1.reg")" \
"[HKCR\\.kvn]
@=sz:Korvane.Document\\x00
\"RegisteredWith\"=sz:$2\\x00"
}
expect_shortcuts() {
  local out
  out=$(probe link "$menu_dir\\$label.lnk" "$menu_dir\\Uninstall $short_name.lnk" "$common_desktop\\$label.lnk")
  expect_eq "the three shortcuts (read through IShellLinkW)" "$out" \
"file=$menu_dir\\$label.lnk
target=$install_dir\\Korvane.exe
workdir=$install_dir
arguments=
file=$menu_dir\\Uninstall $short_name.lnk
target=$install_dir\\Uninstall.exe
workdir=$install_dir
arguments=
file=$common_desktop\\$label.lnk
target=$install_dir\\Korvane.exe
workdir=$install_dir
arguments="
}
# The paths of a log's entries that are files or folders, sorted.
entry_paths() {
  grep -v -E '^0[56]ff:' "$work/$1.entries" | sed 's/^[0-9a-f]*:[01] -- //' | LC_ALL=C sort
}

# Installs on the fresh machine and checks everything a first installation
# leaves. Snapshots: "clean" before, "installed" after.
install_fresh_and_check() {
  snapshot clean
  expected_fresh_entries >"$work/fresh.expected"
  run_installer "$@"
  expect_exit 0
  snapshot installed
  read_ulog fresh || return
  expect_header fresh "Install $label"
  expect_file_eq "the uninstall log's entries" "$work/fresh.entries" "$work/fresh.expected"
  expect_payload_installed
  expect_read_only "$install_dir\\Uninstall.ulog" "$install_dir\\Korvane.exe" "$install_dir\\Uninstall.exe"
  expect_registration installed
  expect_registered_with installed " /Register /Background"
  expect_shortcuts
  # The installation changes exactly what its log records, and the log.
  expect_eq "paths changed by the installation" "$(changed_paths clean installed)" \
    "$( (entry_paths fresh; echo "$install_dir\\Uninstall.ulog") | LC_ALL=C sort)"
  expect_eq "what the installation removed or altered" "$(lost_lines clean installed)" ""
  # In the registry: the product's keys alone, and the Uninstall key, which
  # had no subkey before on this machine.
  expect_eq "registry keys changed by the installation" "$(changed_keys clean installed)" "$(LC_ALL=C sort <<EOF
$classes_key\\.kvn
$classes_key\\Korvane.Document
$classes_key\\Korvane.Document\\DefaultIcon
$classes_key\\Korvane.Document\\shell\\open\\command
$software_key\\Arvell & Divizere
$software_key\\Microsoft\\Windows\\CurrentVersion\\Uninstall
$software_key\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6
EOF
)"
}

# --- scenarios ---------------------------------------------------------------

# The harness itself, without the installer: snapshots are stable across
# program runs and see a new file, a changed attribute and the product's
# own registration.
scenario_harness() {
  new_prefix
  snapshot s0
  snapshot s1
  expect_same_machine "two snapshots of an untouched machine" s0 s1
  local folder="C:\\Program Files\\Harness & Co"
  mkdir -p "$(unix_path "$folder")"
  cp "$product/Korvane.exe" "$(unix_path "$folder\\Korvane.exe")"
  local out
  out=$(probe run "\"$folder\\Korvane.exe\" /Register /Background")
  expect_eq "the registration run's exit code" "$out" "exit=-10"
  snapshot s2
  expect_eq "paths changed by copying the program" "$(changed_paths s1 s2)" \
"C:\\Program Files\\Harness & Co
C:\\Program Files\\Harness & Co\\Korvane.exe"
  expect_registered_with s2 " /Register /Background"
  chmod a-w "$(unix_path "$folder\\Korvane.exe")"
  expect_read_only "$folder\\Korvane.exe"
  snapshot s3
  expect_eq "a read-only attribute in the snapshot" "$(changed_paths s2 s3)" "C:\\Program Files\\Harness & Co\\Korvane.exe"
  finish
}

scenario_fresh_install() {
  new_prefix
  install_fresh_and_check
  uninstall_and_expect clean
  finish
}

# run_headless PROBE_COMMAND... -- INSTALLER_ARGUMENTS: runs
# the installer as run_installer_with does, but with no display and no
# virtual screen (wine directly, not wine-run.sh), and fails when the
# installer made a window or a message box: without a display Wine says so
# on stderr. Wine's default debug channels (errors and fixmes) stay on, with
# the process channel to tell which thread belongs to which program.
run_headless() {
  local -a how=()
  while [ "$1" != -- ]; do how+=("$1"); shift; done
  shift
  [ -f "$installer" ] || fatal "the installer is not built: $installer"
  runs=$((runs + 1))
  run_log=$work/install-$runs.log
  local stderr=$work/headless-$runs.stderr out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=+process WINEPREFIX="$prefix" \
    wine "$probe_exe" "${how[@]}" "\"$(host_path "$installer")\" /VERYSILENT /LANG=1 /LOG=\"$(host_path "$run_log")\" $*" \
    2>"$stderr")
  WINEPREFIX="$prefix" wineserver -w
  exit_code=${out#exit=}
  echo "installer run $runs without a display ($*): Windows exit code $exit_code"
  [ -f "$run_log" ] || touch "$run_log"
  # A window created without a display makes Wine say, once per process:
  #   err:winediag:nodrv_CreateWindow Application tried to create a window, but no driver could be loaded.
  #   err:winediag:nodrv_CreateWindow L"Make sure that your X server is running and that $DISPLAY is set correctly."
  # A program that merely asks for the desktop window starts Wine's desktop
  # process (explorer.exe /desktop), which then says the first line itself,
  # followed by "The explorer process failed to start."; lines of that
  # process's thread are not the installer's.
  local threads explorer foreign
  threads=$(grep -o '^[0-9a-f]*:err:winediag:nodrv_CreateWindow Application tried to create a window' \
    "$stderr" | cut -d: -f1 | sort -u)
  explorer=$(sed -n 's/^[0-9a-f]*:trace:process:NtCreateUserProcess .*explorer\.exe" pid [0-9a-f]* tid \([0-9a-f]*\) .*/\1/p' \
    "$stderr" | sort -u)
  foreign=$(comm -23 <(printf '%s\n' "$threads" | sed '/^$/d') <(printf '%s\n' "$explorer" | sed '/^$/d'))
  if [ -n "$foreign" ] || grep -q 'Make sure that your X server is running' "$stderr"; then
    fail "a window or a message box was created without a display"
    grep -E 'nodrv_CreateWindow|X server|NtCreateUserProcess.* pid ' "$stderr" | sed 's/^/    /' >&2
  fi
}

scenario_no_window() {
  new_prefix
  snapshot clean
  run_headless run --
  expect_exit 0
  [ -f "$(unix_path "$install_dir\\Uninstall.ulog")" ] || fail "nothing was installed without a display"
  snapshot installed
  uninstall_and_expect clean
  finish
}

# refused_silently CODE REASON PROBE_COMMAND... -- INSTALLER_ARGUMENTS: a run
# that is refused before it changes anything: the exit code, its reason and
# the result in the log, no window, no box, and the machine unchanged.
refused_silently() {
  local code=$1 reason=$2
  shift 2
  snapshot before
  run_headless "$@"
  expect_exit "$code"
  expect_log_line "$reason"
  expect_log_line "Result: $code"
  snapshot after
  expect_same_machine "a refused run" before after
}

# Another installer of the product holds the installer's mutex.
scenario_another_installer() {
  new_prefix
  refused_silently 1618 "another installer of the product is running" mutex "$installer_mutex" --
  finish
}

# A switch the installer does not know.
scenario_bad_switch() {
  new_prefix
  refused_silently 1639 "unknown switch: /BOGUS" run -- /BOGUS
  finish
}

# A user without administrator rights: the installer started with a token
# in which the Administrators group only denies.
scenario_not_administrator() {
  new_prefix
  refused_silently 1925 "You should have Administrator Rights in order to proceed to Installation." restricted --
  finish
}

# A program of the product is running (it holds a count of the counter).
scenario_product_running() {
  new_prefix
  refused_silently 2000 "You should close '$short_name' before continuing Installation." \
    semaphore "$running_counter" --
  finish
}

scenario_reinstall() {
  new_prefix
  install_fresh_and_check
  # The user's changes: a data file edited, a sample edited, the product's
  # registration altered.
  local data sample
  data=$(payload_files | awk -F'\t' '$1 == 3 {print $2; exit}')
  sample=$(payload_files | awk -F'\t' '$1 == 4 {print $2; exit}')
  echo "edited by the user" >>"$(unix_path "$data")"
  echo "edited by the user" >>"$(unix_path "$sample")"
  probe set 'HKCR\Korvane.Document' RegisteredWith stale
  snapshot edited
  grep -q '^"RegisteredWith"=sz:stale' "$work/edited.reg" || fatal "the registration could not be altered for the test"

  run_installer
  expect_exit 0
  snapshot reinstalled
  read_ulog again || { finish; return; }
  expect_header again "Install $label -- Update ($label)"
  # Merged: the earlier folders and data files (not recorded again) first,
  # then this run's files, shortcuts, key and registration.
  expect_file_eq "the merged uninstall log's entries" "$work/again.entries" \
    <(grep -E '^(00ff|0103):' "$work/fresh.entries"; grep -v -E '^(00ff|0103):' "$work/fresh.entries")
  grep -q -F "edited by the user" "$(unix_path "$data")" || fail "the data file $data was overwritten"
  expect_payload_installed_except "$data"
  expect_registered_with reinstalled " /Register /Background"
  expect_registration reinstalled
  expect_shortcuts
  expect_read_only "$install_dir\\Uninstall.ulog" "$install_dir\\Korvane.exe" "$install_dir\\Uninstall.exe"
  # Nothing else moved: the same files with the same contents, the sample
  # back to its original, the log rewritten, the shortcuts made anew (a
  # shell link keeps its target's file times, and the target was written
  # again); no backup or temporary folder left in Temp.
  local rewritten
  rewritten=$(printf '%s\n' "$sample" "$install_dir\\Uninstall.ulog" "$menu_dir\\$label.lnk" \
    "$menu_dir\\Uninstall $short_name.lnk" "$common_desktop\\$label.lnk" | LC_ALL=C sort)
  expect_eq "paths changed by the reinstallation" "$(changed_paths edited reinstalled)" "$rewritten"
  expect_eq "paths lost by the reinstallation" \
    "$(lost_lines edited reinstalled | cut -f1 | while IFS= read -r p; do windows_path "$p"; echo; done | LC_ALL=C sort)" \
    "$rewritten"
  uninstall_and_expect clean
  finish
}
expect_payload_installed_except() {
  local kind path src
  while IFS=$'\t' read -r kind path src; do
    [ "$kind" = 5 ] || [ "$path" = "$1" ] && continue
    cmp -s "$src" "$(unix_path "$path")" || fail "$path is not equal to $src"
  done < <(payload_files)
}

# Puts another build of the main program in place of the installed one (its
# read-only attribute cleared, as a user's copy would be).
replace_main_program() {
  local file
  file=$(unix_path "$install_dir\\Korvane.exe")
  chmod u+w "$file"
  cp "$1" "$file"
}

scenario_update() {
  new_prefix
  # An installation in a folder of the user's choice, which the update keeps.
  install_dir="$program_files\\Arvell & Divizere\\Chosen Folder"
  install_fresh_and_check "/DIR=\"$install_dir\""
  replace_main_program "$product/variants/Korvane-6.3.6.9.exe"
  local samples
  mapfile -t samples < <(payload_files | awk -F'\t' '$1 == 4 {print $2}')
  echo "edited by the user" >>"$(unix_path "${samples[0]}")"
  rm "$(unix_path "${samples[1]}")"
  snapshot older

  run_installer
  expect_exit 0
  snapshot updated
  read_ulog updated || { finish; return; }
  expect_header updated "Install $label -- Update ($label)"
  expect_registered_with updated " /Register /Background /update=0006000300060009"
  # Samples are left alone on an update: the edited one stays edited, the
  # deleted one stays deleted, and the run writes none.
  grep -q -F "edited by the user" "$(unix_path "${samples[0]}")" || fail "the sample ${samples[0]} was overwritten"
  [ ! -e "$(unix_path "${samples[1]}")" ] || fail "the deleted sample ${samples[1]} was installed again"
  if grep -q -F "$short_name Examples" "$run_log"; then
    fail "the update's log shows samples"
    grep -F "$short_name Examples" "$run_log" | sed 's/^/    /' >&2
  fi
  grep -q -F "Korvane.exe" "$run_log" || fail "the update's log does not show the main program (is /LOG complete?)"
  cmp -s "$product/Korvane.exe" "$(unix_path "$install_dir\\Korvane.exe")" || fail "the main program was not updated"
  # The earlier entries carry over: folders, data files and samples first,
  # then this run's files (no samples), shortcuts, key and registration.
  expect_file_eq "the merged uninstall log's entries" "$work/updated.entries" \
    <(grep -E '^(00ff|0103|0104):' "$work/fresh.entries"; grep -v -E '^(00ff|0103|0104):' "$work/fresh.entries")
  expect_registration updated
  expect_shortcuts
  # The merged log takes everything away, the older installation's entries
  # included.
  uninstall_and_expect clean
  finish
}

scenario_newer_installed() {
  new_prefix
  install_fresh_and_check
  replace_main_program "$product/variants/Korvane-6.3.7.2.exe"
  snapshot newer
  run_installer
  expect_exit 1638
  snapshot refused
  expect_same_machine "a refused installation" newer refused
  uninstall_and_expect clean
  finish
}

scenario_failure_rolls_back() {
  new_prefix
  # A language module in the middle of the payload, already on the machine
  # and held open without sharing by another process for the whole run.
  local held
  held=$(payload_files | awk -F'\t' '$1 == 0 {print $2}' | sed -n 5p)
  [ -n "$held" ] || fatal "the payload has no fifth language module"
  mkdir -p "$(dirname "$(unix_path "$held")")"
  echo "held by another program" >"$(unix_path "$held")"
  snapshot before
  run_installer_with hold "$held" --
  expect_exit 1603
  # Error 32, ERROR_SHARING_VIOLATION, as a Windows code.
  expect_log_line "Installation failed (Error Code 1:00000020)."
  snapshot after
  expect_same_machine "a failed installation, rolled back" before after
  finish
}

# An update that fails in the middle: a language module of the older
# installation is held open without sharing by another program, so its
# backup cannot be taken. Everything the run replaced goes back: the files
# with their contents and attributes (the older main program read-only),
# the shortcuts, the log of the older installation, the registry. Then the
# update runs again and succeeds, and the uninstaller leaves the machine as
# it was before the first installation.
scenario_failed_update() {
  new_prefix
  install_fresh_and_check
  replace_main_program "$product/variants/Korvane-6.3.6.9.exe"
  chmod a-w "$(unix_path "$install_dir\\Korvane.exe")"
  local held
  held=$(payload_files | awk -F'\t' '$1 == 0 {print $2}' | sed -n 5p)
  [ -n "$held" ] || fatal "the payload has no fifth language module"
  snapshot older
  run_installer_with hold "$held" --
  expect_exit 1603
  # Error 32, ERROR_SHARING_VIOLATION, as a Windows code.
  expect_log_line "Installation failed (Error Code 1:00000020)."
  grep -q -F "$held" "$run_log" || fail "the log does not name the held module $held"
  snapshot failed
  expect_same_machine "a failed update, rolled back" older failed
  expect_read_only "$install_dir\\Korvane.exe" "$install_dir\\Uninstall.exe" "$install_dir\\Uninstall.ulog"

  run_installer
  expect_exit 0
  snapshot updated
  read_ulog updated || { finish; return; }
  expect_header updated "Install $label -- Update ($label)"
  expect_registered_with updated " /Register /Background /update=0006000300060009"
  cmp -s "$product/Korvane.exe" "$(unix_path "$install_dir\\Korvane.exe")" || fail "the main program was not updated"
  expect_file_eq "the merged uninstall log's entries" "$work/updated.entries" \
    <(grep -E '^(00ff|0103|0104):' "$work/fresh.entries"; grep -v -E '^(00ff|0103|0104):' "$work/fresh.entries")
  uninstall_and_expect clean
  finish
}

# Without shortcuts (/NOICONS): no start-menu folder, no desktop shortcut,
# none in the log.
scenario_no_icons() {
  new_prefix
  snapshot clean
  expected_fresh_entries | grep -v -E '^0[234]ff:' |
    grep -v -F -x -e "00ff:1 -- $common_programs\\Arvell & Divizere" -e "00ff:1 -- $menu_dir" \
    >"$work/fresh.expected"
  run_installer /NOICONS
  expect_exit 0
  snapshot installed
  read_ulog fresh || { finish; return; }
  expect_file_eq "the uninstall log's entries" "$work/fresh.entries" "$work/fresh.expected"
  if tr -d '\r' <"$run_log" | grep -q 'Shortcuts Creation'; then
    fail "the log shows a shortcuts step"
  fi
  expect_eq "paths changed by the installation" "$(changed_paths clean installed)" \
    "$( (entry_paths fresh; echo "$install_dir\\Uninstall.ulog") | LC_ALL=C sort)"
  uninstall_and_expect clean
  finish
}

# A copy of the installer whose payload was damaged after it was built: the
# check of the whole payload refuses it before any file is written.
scenario_damaged_payload() {
  new_prefix
  installer_exe=$work/Damaged.exe
  cp "$installer" "$installer_exe"
  # The payload: resource type 260, identifier 134.
  probe damage "$(host_path "$installer_exe")" 260 134 || fatal "the payload of the copy cannot be damaged"
  cmp -s "$installer" "$installer_exe" && fatal "the copy is unchanged"
  snapshot before
  run_installer
  expect_exit 1603
  expect_log_line "Preparing Installation...Failed"
  expect_log_line "Installation failed (Error Code 4)."
  if grep -q 'Copying File' "$run_log"; then
    fail "a file was written from a damaged payload"
  fi
  snapshot after
  expect_same_machine "a damaged payload" before after
  finish
}

# A data file of the user's, there before the first installation, where the
# payload has one: kept byte for byte, not recorded, and still there after
# the uninstaller.
scenario_user_data_file() {
  new_prefix
  local data
  data=$(payload_files | awk -F'\t' '$1 == 3 {print $2; exit}')
  [ -n "$data" ] || fatal "the payload has no data file"
  mkdir -p "$(dirname "$(unix_path "$data")")"
  printf 'the user'"'"'s own materials\r\n\xff\x00 binary tail' >"$(unix_path "$data")"
  cp "$(unix_path "$data")" "$work/users-file"
  snapshot clean
  expected_fresh_entries | grep -v -F -x "0103:1 -- $data" >"$work/fresh.expected"
  run_installer
  expect_exit 0
  snapshot installed
  cmp -s "$work/users-file" "$(unix_path "$data")" || fail "the user's file $data was changed"
  read_ulog fresh || { finish; return; }
  expect_file_eq "the uninstall log's entries" "$work/fresh.entries" "$work/fresh.expected"
  # Shared data is opened to all users, the user's file and its folders
  # included; Wine keeps that grant as the files' mode bits, so those modes
  # are the one difference the uninstaller leaves.
  [[ $data = "$common_data\\Arvell & Divizere\\"* ]] || fatal "the data file $data is not in the shared data folder"
  local shared=".${common_data#[Cc]:}\\Arvell & Divizere"
  uninstall_and_expect clean "${shared//\\//}"
  cmp -s "$work/users-file" "$(unix_path "$data")" || fail "the user's file $data did not survive the uninstaller"
  finish
}

# A folder with letters of many scripts and the characters a command line
# or a batch file treats specially: installed, then uninstalled to the
# machine as it was.
scenario_odd_folder() {
  new_prefix
  install_dir='C:\Ünï 日本 50% [x];! & Co'
  install_fresh_and_check "/DIR=\"$install_dir\""
  uninstall_and_expect clean
  finish
}

# The log of an earlier installation written in the 8-bit code page (as
# older installers did), with a letter outside ASCII in its folder: the
# reinstallation reads it in the ANSI code page and carries its entries into
# the new log, in UTF-16, letter for letter.
scenario_ansi_log() {
  new_prefix
  install_dir="$program_files\\Arvell & Divizere\\Korvaline Éditeur"
  install_fresh_and_check "/DIR=\"$install_dir\""
  local acp log_file
  acp=$(probe codepage) || fatal "the code page cannot be read"
  acp=${acp#acp=}
  log_file=$(unix_path "$install_dir\\Uninstall.ulog")
  chmod u+w "$log_file"
  tail -c +3 "$log_file" | iconv -f UTF-16LE -t "CP$acp" >"$work/ansi.ulog" || fatal "the log cannot be written in code page $acp"
  cp "$work/ansi.ulog" "$log_file"
  chmod a-w "$log_file"
  grep -q -a -F "$(printf 'Éditeur' | iconv -t "CP$acp")" "$log_file" ||
    fatal "the 8-bit log does not hold the letter as code page $acp writes it"

  run_installer
  expect_exit 0
  read_ulog again || { finish; return; }
  expect_header again "Install $label -- Update ($label)"
  expect_file_eq "the merged uninstall log's entries" "$work/again.entries" \
    <(grep -E '^(00ff|0103):' "$work/fresh.entries"; grep -v -E '^(00ff|0103):' "$work/fresh.entries")
  uninstall_and_expect clean
  finish
}

# A destination folder in which nothing can be written. The write bits of a
# folder would not stop root, so the folder is made read-only for the
# installer's run alone, by a read-only bind mount in a mount namespace of
# its own (unshare; the scenario is skipped, exit 77, where that is not
# allowed). The files written before the first one in that folder (data
# files, samples) are rolled back.
scenario_read_only_folder() {
  new_prefix
  unshare -r -m true 2>/dev/null || { echo "skipped: no mount namespace (unshare -r -m) on this machine"; exit 77; }
  install_dir='C:\Read-only Folder'
  local dir
  dir=$(unix_path "$install_dir")
  mkdir -p "$dir"
  snapshot before
  # shellcheck disable=SC2016 # expanded by the inner shell
  win_wrapper=(unshare -r -m bash -c 'mount --bind -o ro "$1" "$1" && shift && exec "$@"' ro-mount "$dir")
  run_installer "/DIR=\"$install_dir\""
  win_wrapper=()
  expect_exit 1603
  # Error 5, ERROR_ACCESS_DENIED, as a Windows code.
  expect_log_line "Installation failed (Error Code 1:00000005)."
  expect_log_line "Result: 1603"
  grep -q -F "$install_dir\\Uninstall.exe" "$run_log" || fail "the log does not name the first file of the folder"
  snapshot after
  expect_same_machine "an installation into a read-only folder" before after
  finish
}

# uninstall_and_expect BEFORE [SHARED]: starts the registered uninstaller
# with /S and expects the machine of the snapshot BEFORE (taken before the
# product's first installation) back, files the user made included; below
# the folder SHARED (as in NAME.files) the modes of entries may differ.
uninstall_and_expect() {
  local uninstaller
  uninstaller=$(sed -n 's/^"UninstallString"=sz:\(.*\)\\x00$/\1/p' "$work/installed.reg")
  [ -n "$uninstaller" ] || { fail "no UninstallString to start"; return; }
  local out
  out=$(probe run "\"$uninstaller\" /S")
  echo "uninstaller: Windows exit code ${out#exit=}"
  expect_eq "the uninstaller's exit code" "$out" "exit=0"
  snapshot uninstalled
  if [ -n "${2:-}" ]; then
    local name
    for name in "$1" uninstalled; do
      awk -F'\t' -v OFS='\t' -v shared="$2" \
        'index($1, shared) == 1 && (length($1) == length(shared) || substr($1, length(shared) + 1, 1) == "/") {$3 = "-"} 1' \
        "$work/$name.files" >"$work/$name.files.tmp" && mv "$work/$name.files.tmp" "$work/$name.files"
    done
  fi
  expect_same_machine "installed, then uninstalled" "$1" uninstalled
}

scenario_uninstall() {
  new_prefix
  install_fresh_and_check
  uninstall_and_expect clean
  finish
}

# --- what administrators and their tools expect ---------------------------------
# (Scenarios of the command line, the /SILENT window and the package
# managers' uninstall entry.)

# watch_installer ARGUMENTS: runs the installer without /VERYSILENT under the
# probe's watch (boxes are answered with OK as a person would); sets
# watch_out (window=, box= and exit= lines) and exit_code.
watch_installer() {
  [ -f "$installer" ] || fatal "the installer is not built: $installer"
  watch_out=$(probe watch "\"$(host_path "$installer")\" $*")
  exit_code=$(printf '%s\n' "$watch_out" | sed -n 's/^exit=//p')
}

# /DIR= and /D= take only an absolute folder shorter than 260 characters:
# anything else ends with 1639 before the machine is touched.
scenario_folder_refused() {
  new_prefix
  snapshot before
  local long
  long="C:\\$(printf '%*s' 297 '' | tr ' ' k)"  # 300 characters
  local -a lines=("/DIR=Korvane" "/DIR=..\\Korvane" "/DIR=\"$long\"" "/D=Korvane" "/D=..\\Korvane" "/D=$long")
  local line
  for line in "${lines[@]}"; do
    run_installer "$line"
    [ "$exit_code" = 1639 ] || fail "$line: exit code $exit_code, expected 1639"
    grep -q 'Result: 1639' "$run_log" || fail "$line: the log does not give the result 1639"
  done
  snapshot after
  expect_same_machine "installations refused for their folder" before after
  finish
}

# /? shows the help box (in the language asked for) and ends with 0; a wrong
# switch is named first and ends with 1639; with /VERYSILENT no window and
# no box at all. None changes the machine.
scenario_help() {
  new_prefix
  snapshot before
  watch_installer "/?"
  expect_eq "the exit code of /?" "$exit_code" 0
  local box
  box=$(printf '%s\n' "$watch_out" | sed -n 's/^box=//p')
  [ -n "$box" ] || fail "/? showed no box: $watch_out"
  local item
  for item in /SILENT /VERYSILENT /SUPPRESSMSGBOXES /DIR= /D= /LANG= /NOICONS /LOG= /HELP 1602 1603 1618 1638 1639 1925 2000; do
    [[ $box == *"$item"* ]] || fail "the help box does not name $item"
  done
  watch_installer "/LANG=0 /HELP"
  expect_eq "the exit code of /HELP" "$exit_code" 0
  [[ $(printf '%s\n' "$watch_out" | sed -n 's/^box=//p') == *"Codes de sortie"* ]] ||
    fail "the help box is not in French with /LANG=0: $watch_out"
  watch_installer "/LANG=1 /BOGUS"
  expect_eq "the exit code of a wrong switch" "$exit_code" 1639
  [[ $(printf '%s\n' "$watch_out" | sed -n 's/^box=//p') == "Unknown switch: /BOGUS\x0d\x0a\x0d\x0a"* ]] ||
    fail "the box does not name the wrong switch first: $watch_out"
  watch_installer "/VERYSILENT /BOGUS"
  expect_eq "what /VERYSILENT /BOGUS shows and its exit code" "$watch_out" "exit=1639"
  snapshot after
  expect_same_machine "help and refused command lines" before after
  finish
}

# /SILENT installs with nobody pressing a key: its progress window shows
# and closes by itself, no box appears, and the machine is installed as by
# /VERYSILENT.
scenario_silent() {
  new_prefix
  snapshot clean
  expected_fresh_entries >"$work/fresh.expected"
  run_log=$work/silent.log
  watch_installer "/SILENT /LANG=1 /LOG=\"$(host_path "$run_log")\""
  expect_eq "the exit code of /SILENT" "$exit_code" 0
  expect_eq "the windows of /SILENT" "$(printf '%s\n' "$watch_out" | grep -v '^exit=')" \
    "window=Installer – $label"
  grep -q 'Result: 0' "$run_log" || fail "the log of /SILENT does not give the result 0"
  snapshot installed
  read_ulog fresh || { finish; return; }
  expect_file_eq "the uninstall log's entries" "$work/fresh.entries" "$work/fresh.expected"
  expect_payload_installed
  expect_registration installed
  expect_shortcuts
  finish
}

# A package manager removes the product with the uninstall entry's
# QuietUninstallString as it stands, without a question, and the machine is
# as it was.
scenario_quiet_uninstall() {
  new_prefix
  install_fresh_and_check
  local listed
  listed=$(win uninstaller --list 2>/dev/null | tr -d '\r')
  [[ $listed == *"$label"* ]] || fail "Wine's list of installed programs does not show $label: $listed"
  local quiet
  quiet=$(sed -n 's/^"QuietUninstallString"=sz:\(.*\)\\x00$/\1/p' "$work/installed.reg")
  expect_eq "QuietUninstallString" "$quiet" "\"$install_dir\\Uninstall.exe\" /S"
  watch_out=$(probe watch "$quiet")
  expect_eq "what the quiet uninstallation shows and its exit code" "$watch_out" "exit=0"
  snapshot uninstalled
  expect_same_machine "installed, then removed by QuietUninstallString" clean uninstalled
  finish
}

declare -F "scenario_$scenario" >/dev/null || fatal "no scenario named $scenario"
"scenario_$scenario"
