#!/usr/bin/env bash
# Lifecycle tests of the installer under Wine: whole installations driven by
# the installer's unattended mode, each scenario in a fresh Wine prefix (a
# copy of the template that scripts/wine-run.sh boots), and the machine
# checked afterwards: the files of drive_c, the product's registry keys, the
# shortcuts and the uninstall log.
#
#   lifecycle.sh SCENARIO
#
# Environment: AV_BUILD_DIR (the windows build folder) and AV_SOURCE_DIR
# (set by CTest); AV_LIFECYCLE_KEEP=1 keeps the work folder (prefix,
# snapshots, logs) for a look afterwards.
#
# A snapshot of the machine is two files:
#  - NAME.files: every entry below drive_c, one line each: path, type, mode
#    (the write bits are how Wine keeps the read-only attribute), and for a
#    file its size and SHA-256. Below drive_c/windows (Wine's own system,
#    about 600 MB) files are listed by size and modification time instead of
#    hashed: nothing of the product goes there, and any write would change
#    the time. Nothing is left out: the user's Temp folder is listed like
#    any other, so a temporary folder, a backup or a batch file left behind
#    shows as a difference. Wine's registry files and logs live outside
#    drive_c and are not part of it.
#  - NAME.reg: the product's registry keys as the probe reads them through
#    the registry API (the uninstall key, the maker's key, HKCR\.kvn and
#    HKCR\Korvane.Document), with all values and subkeys.
#
# Not checked, because Wine does not keep them: the access lists of the data
# files and folders (SetFileSecurityW succeeds and keeps nothing), and
# RegRestoreKeyW (it reports success and changes nothing), so the restore of
# an uninstall key that existed before a failed run is not exercised here.
set -uo pipefail

scenario=${1:?usage: lifecycle.sh SCENARIO}
build=${AV_BUILD_DIR:?AV_BUILD_DIR is not set}
source=${AV_SOURCE_DIR:?AV_SOURCE_DIR is not set}
installer=$build/bin/Install.exe
probe_exe=$build/bin/lifecycle_probe.exe
product=$build/product
avpack=$build/host-tools/bin/avpack
[ -x "$avpack" ] || avpack=$source/build/native/bin/avpack

work=$(mktemp -d "${TMPDIR:-/tmp}/av-lifecycle.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  if [ "${AV_LIFECYCLE_KEEP:-0}" = 1 ]; then
    echo "kept: $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

# winemenubuilder turns every shortcut saved in the start menu or on a
# desktop into menu entries and icons in the host user's home, outside the
# prefix, where tests would share them.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEDEBUG=${AV_LIFECYCLE_WINEDEBUG:--all}

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
    echo "$scenario: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$scenario: passed"
  exit 0
}

# --- Wine --------------------------------------------------------------------
# Runs a Windows program in this scenario's prefix; wine-run.sh waits until
# every process of the prefix has ended (wineserver -w), so a program's
# children (the uninstaller's clean-up batch file) are done too.
win() {
  AV_WINE_KEEP_PREFIX=$prefix "$source/scripts/wine-run.sh" "$@"
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
  install_dir="$program_files\\Arvell & Divizere\\$folder_name"
  menu_dir="$common_programs\\Arvell & Divizere\\$folder_name"
  samples_dir="$common_desktop\\$short_name Examples"
}

# --- snapshots ---------------------------------------------------------------
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
}
# expect_same_machine WHAT BEFORE AFTER
expect_same_machine() {
  expect_file_eq "$1: files of drive_c" "$work/$3.files" "$work/$2.files"
  expect_file_eq "$1: registry keys" "$work/$3.reg" "$work/$2.reg"
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
  [ -f "$installer" ] || fatal "the installer is not built: $installer"
  runs=$((runs + 1))
  run_log=$work/install-$runs.log
  local out
  out=$(probe run "\"$(host_path "$installer")\" /VERYSILENT /LANG=1 /LOG=\"$(host_path "$run_log")\" $*")
  exit_code=${out#exit=}
  [ -f "$run_log" ] || touch "$run_log"
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
  finish
}

scenario_no_window() {
  new_prefix
  snapshot clean
  [ -f "$installer" ] || fatal "the installer is not built: $installer"
  # No display and no virtual screen: wine directly, not wine-run.sh, with
  # Wine's default debug channels (errors and fixmes) on stderr, and the
  # process channel to tell which thread belongs to which program.
  local out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=+process WINEPREFIX="$prefix" \
    wine "$probe_exe" run "\"$(host_path "$installer")\" /VERYSILENT /LANG=1" 2>"$work/no_window.stderr")
  WINEPREFIX="$prefix" wineserver -w
  expect_eq "the installer's exit code without a display" "$out" "exit=0"
  [ -f "$(unix_path "$install_dir\\Uninstall.ulog")" ] || fail "nothing was installed without a display"
  # A window created without a display makes Wine say, once per process:
  #   err:winediag:nodrv_CreateWindow Application tried to create a window, but no driver could be loaded.
  #   err:winediag:nodrv_CreateWindow L"Make sure that your X server is running and that $DISPLAY is set correctly."
  # A program that merely asks for the desktop window starts Wine's desktop
  # process (explorer.exe /desktop), which then says the first line itself,
  # followed by "The explorer process failed to start."; lines of that
  # process's thread are not the installer's.
  local threads explorer foreign
  threads=$(grep -o '^[0-9a-f]*:err:winediag:nodrv_CreateWindow Application tried to create a window' \
    "$work/no_window.stderr" | cut -d: -f1 | sort -u)
  explorer=$(sed -n 's/^[0-9a-f]*:trace:process:NtCreateUserProcess .*explorer\.exe" pid [0-9a-f]* tid \([0-9a-f]*\) .*/\1/p' \
    "$work/no_window.stderr" | sort -u)
  foreign=$(comm -23 <(printf '%s\n' "$threads" | sed '/^$/d') <(printf '%s\n' "$explorer" | sed '/^$/d'))
  if [ -n "$foreign" ] || grep -q 'Make sure that your X server is running' "$work/no_window.stderr"; then
    fail "a window was created without a display"
    grep -E 'nodrv_CreateWindow|X server|NtCreateUserProcess.* pid ' "$work/no_window.stderr" | sed 's/^/    /' >&2
  fi
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
  win reg add 'HKCR\Korvane.Document' /v RegisteredWith /d stale /f >/dev/null 2>&1
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
  runs=$((runs + 1))
  run_log=$work/install-$runs.log
  local out
  out=$(probe hold "$held" "\"$(host_path "$installer")\" /VERYSILENT /LANG=1 /LOG=\"$(host_path "$run_log")\"")
  exit_code=${out#exit=}
  [ -f "$run_log" ] || touch "$run_log"
  expect_exit 1603
  # Error 32, ERROR_SHARING_VIOLATION, as a Windows code.
  grep -q '1:00000020' "$run_log" || { fail "the log does not give the code 1:00000020"; sed 's/^/    log: /' "$run_log" >&2; }
  snapshot after
  expect_same_machine "a failed installation, rolled back" before after
  finish
}

scenario_uninstall() {
  new_prefix
  install_fresh_and_check
  local uninstaller
  uninstaller=$(sed -n 's/^"UninstallString"=sz:\(.*\)\\x00$/\1/p' "$work/installed.reg")
  [ -n "$uninstaller" ] || fatal "no UninstallString"
  local out
  out=$(probe run "\"$uninstaller\" /S")
  expect_eq "the uninstaller's exit code" "$out" "exit=0"
  snapshot uninstalled
  expect_same_machine "installed, then uninstalled" clean uninstalled
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
