#!/usr/bin/env bash
# The Windows installer under wine, in a fresh prefix of its own: a silent
# installation of the English program (files, event source, start at
# log-on, start-menu entry, uninstall entry, the console's check in the
# log), the installed program's -e against a bus reader on COM2 (the
# default port), an installer and the registered quiet uninstallation that
# refuse while Tavolin runs (exit code 2, as a deployment tool sees it), a
# quiet uninstallation that keeps only the settings; then the German
# program in a folder outside Program Files, which gets Program Files'
# access list, and an uninstallation that removes the settings too.
#   installer_wine.sh SETUP.EXE TAVOLIN-UIDRIVER.EXE TAVOLIN-READERSIM WINE-RUNNER
# Runs in a display of its own (with_xvfb.sh).
set -u
setup=$1 driver=$2 readersim=$3 wine=$4
if [ ! -x "$readersim" ]; then
  echo "tavolin-readersim not found at $readersim: build the linux preset first"
  exit 77
fi
export LC_ALL=C.UTF-8
export TAVOLIN_WINE_PREFIX_NAME=wineprefix-install
work=$(mktemp -d)
sim='' app=''
build_dir=$(dirname "$setup")
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do build_dir=$(dirname "$build_dir"); done
prefix=$build_dir/$TAVOLIN_WINE_PREFIX_NAME
cleanup() {
  for pid in $app $sim; do kill "$pid" 2>/dev/null; done
  WINEPREFIX=$prefix timeout 20 wineserver -w 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in wine.err driver.err sim.log; do
    echo "--- $f"
    grep -v -E '^ *(0x[0-9a-f]+:|[0-9a-f]{4}: 0x)' "$work/$f" 2>/dev/null | tail -n 20
  done
  exit 1
}
source "$(dirname "$0")/../../tools/readersim/readersim.bash"

run() { "$wine" "$@" 2>>"$work/wine.err"; }
# Every program of the prefix has ended (an uninstaller runs on as a copy).
settle() { WINEPREFIX=$prefix timeout 60 wineserver -w 2>/dev/null; }
drive() { run "$driver" "$@" 2>>"$work/driver.err" | tr -d '\r'; }
# KEY NAME: the value's data as reg prints it; fails when it is not there.
value() {
  local out
  out=$(run reg query "$1" /v "$2") || return 1
  printf '%s\n' "$out" | tr -d '\r' | sed -n "s/^ *$2 \{4\}REG_[A-Z_]* \{4\}//p"
}
key_exists() { run reg query "$1" >/dev/null 2>&1; }
# The registered quiet uninstallation, run as a deployment tool runs it
# (OPTION goes before "_?=", which ends the line): its exit code.
quiet_uninstall() {
  local line
  line=$(value "$uninstall_key" QuietUninstallString) || fail "no QuietUninstallString"
  [ -n "${1:-}" ] && line=${line/ _?=/ $1 _?=}
  drive run "$line" | sed -n 's/^exit code: //p'
}

folder=$prefix/drive_c/Program\ Files/Tavolin
installed='C:\Program Files\Tavolin'
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tavolin'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavolin'
settings_key='HKLM\SOFTWARE\Brellmark\Tavolin'
shortcut=$prefix/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Elvor\ Tavolin.lnk

# PROGRAM HELP OTHER-PROGRAM OTHER-HELP LANGUAGE-ID: what a silent
# installation leaves.
check_installed() {
  local program=$1 help=$2 file
  for file in "$program" "$help" Ascii.htm Elvorbeep.wav tavolin-console.exe uninstall.exe; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
  done
  for file in "$3" "$4"; do [ ! -e "$folder/$file" ] || fail "$file of the other language is installed"; done
  [ "$(value "$event_source" EventMessageFile)" = "$installed\\$program" ] || fail "event source: EventMessageFile"
  [ "$(value "$event_source" TypesSupported)" = 0x7 ] || fail "event source: TypesSupported"
  [ "$(value "$run_key" Tavolin)" = "\"$installed\\$program\"" ] || fail "start at log-on: $(value "$run_key" Tavolin)"
  [ -f "$shortcut" ] || fail "no start-menu entry"
  [ "$(value "$uninstall_key" DisplayVersion)" = 2.10.00 ] || fail "uninstall entry: DisplayVersion"
  [ "$(value "$uninstall_key" Language)" = "$5" ] || fail "uninstall entry: Language"
  # The silent installation's check: reading started from the reader on COM2.
  tr -d '\r' <"$folder/install-check.log" | grep -qx "exit code: 0" ||
    fail "install-check.log: $(cat "$folder/install-check.log")"
}

check_removed() {
  [ ! -e "$folder" ] || fail "the uninstallation leaves $(ls "$folder")"
  [ ! -e "$shortcut" ] || fail "the uninstallation leaves the start-menu entry"
  key_exists "$event_source" && fail "the uninstallation leaves the event source"
  key_exists "$uninstall_key" && fail "the uninstallation leaves the uninstall entry"
  value "$run_key" Tavolin >/dev/null && fail "the uninstallation leaves the start at log-on"
  return 0
}

[ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
rm -rf "$prefix"
[ ! -e "$prefix" ] || fail "the prefix of a run before cannot be removed"
"$wine" --init >/dev/null || fail "no wine prefix"
readersim_start "$readersim" --kind bus
ln -sfn "$work/com" "$prefix/dosdevices/com2"

run "$setup" /S /LANG=en || fail "silent installation: exit code $?"
settle
check_installed tavolin_en.exe TavoHelp.mht tavolin_de.exe TavoHilfe.mht 1033
key_exists "$settings_key" || fail "the check did not create the settings"

# The installation check of the installed program says so in its message
# box; while it runs, the installer refuses to replace it.
run "$installed\\tavolin_en.exe" -e >"$work/app.out" 2>>"$work/wine.err" &
app=$!
drive shown "Elvor Tavolin" 30000 >/dev/null || fail "tavolin_en -e shows no window"
want="Default settings ok: Thread reading from COM2 is started. Program ends, so the installation can be finished."
deadline=$((SECONDS + 15))
until [ "$(drive text "Elvor Tavolin" 65535)" = "$want" ]; do
  [ $SECONDS -lt $deadline ] || fail "tavolin_en -e says: $(drive text "Elvor Tavolin" 65535)"
  sleep 0.2
done
run "$setup" /S /LANG=de
status=$?
[ $status = 2 ] || fail "the installer ends with $status while Tavolin runs, not 2"
[ -f "$folder/tavolin_en.exe" ] && [ ! -e "$folder/tavolin_de.exe" ] || fail "the installer replaced the running program"
status=$(quiet_uninstall)
[ "$status" = 2 ] || fail "the quiet uninstallation ends with '$status' while Tavolin runs, not 2"
[ -f "$folder/tavolin_en.exe" ] && [ -f "$folder/uninstall.exe" ] || fail "the refused uninstallation removed files"
drive click "Elvor Tavolin" 1 >/dev/null || fail "the message box has no OK"
wait "$app"
status=$?
app=
[ $status = 0 ] || fail "tavolin_en -e ends with $status"

status=$(quiet_uninstall)
[ "$status" = 0 ] || fail "quiet uninstallation: exit code '$status'"
check_removed
key_exists "$settings_key" || fail "the uninstallation removed the settings"

# A language the installer does not know changes nothing.
run "$setup" /S /LANG=fr
status=$?
settle
[ $status = 2 ] || fail "/LANG=fr: exit code $status"
[ ! -e "$folder" ] || fail "/LANG=fr installed"

# A folder outside Program Files: only administrators and the system may
# change it, whatever its parent allows.
folder=$prefix/drive_c/Tools/Tavolin
installed='C:\Tools\Tavolin'
# (wine keeps no access lists: its trace shows the one asked for, protected
# from the parent's.)
WINEDEBUG=trace+advapi,trace+security "$wine" "$setup" /S /LANG=de "/D=$installed" 2>"$work/acl.trace" ||
  fail "silent installation, German: exit code $?"
settle
check_installed tavolin_de.exe TavoHilfe.mht tavolin_en.exe TavoHelp.mht 1031
grep -qF 'ConvertStringSecurityDescriptorToSecurityDescriptorW L"D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"' \
  "$work/acl.trace" || fail "the installer asks for no access list of administrators and the system alone"
grep -qF 'SetNamedSecurityInfoW L"C:\\Tools\\Tavolin" 1 -2147483644' "$work/acl.trace" ||
  fail "the folder outside Program Files gets no protected access list"
status=$(quiet_uninstall /REMOVESETTINGS)
[ "$status" = 0 ] || fail "quiet uninstallation with the settings: exit code '$status'"
check_removed
key_exists "$settings_key" && fail "/REMOVESETTINGS keeps the settings"
key_exists 'HKLM\SOFTWARE\Brellmark' && fail "/REMOVESETTINGS keeps the empty key Brellmark"
echo "installer under wine: all checks passed"
