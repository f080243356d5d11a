#!/usr/bin/env bash
# The Windows installer under wine, in a fresh prefix of its own (and a
# display, with_xvfb.sh), with a bus reader on COM2 (the default port).
#   installer_wine.sh SETUP.EXE TAVOLIN-UIDRIVER.EXE TAVOLIN-READERSIM WINE-RUNNER
setup=$1 driver=$2 readersim=$3 wine=$4
source "$(dirname "$0")/lib.bash"
need_readersim "$readersim"
export LC_ALL=C.UTF-8 TAVOLIN_WINE_PREFIX_NAME=wineprefix-install
logs=(wine.err driver.err sim.log) at_exit=(wine_settle)
wine_prefix "$setup"
run() { "$wine" "$@" 2>>"$work/wine.err"; }
settle() { wine_settle 60; } # (an uninstaller runs on as a copy)
# KEY NAME: the value's data as reg prints it; fails when it is not there.
value() { run reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 \{4\}REG_[A-Z_]* \{4\}//p" | grep .; }
key_exists() { run reg query "$1" >/dev/null 2>&1; }
# [OPTION]: the registered quiet uninstallation run as a deployment tool runs
# it (OPTION before "_?=", which ends the line), with its exit code.
quiet_uninstall() {
  local line code
  line=$(value "$uninstall_key" QuietUninstallString) || fail "no QuietUninstallString"
  [ -n "${1:-}" ] && line=${line/ _?=/ $1 _?=}
  code=$(drive run "$line" | sed -n 's/^exit code: //p')
  return "${code:-255}"
}
installed='C:\Program Files\Tavolin'
folder=$prefix/drive_c/Program\ Files/Tavolin
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tavolin'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavolin'
settings_key='HKLM\SOFTWARE\Brellmark\Tavolin'
shortcut=$prefix/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Elvor\ Tavolin.lnk
# PROGRAM HELP OTHER-PROGRAM OTHER-HELP LANGUAGE-ID: what an installation leaves.
check_installed() {
  local file
  for file in "$1" "$2" Ascii.htm Elvorbeep.wav tavolin-console.exe uninstall.exe; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
  done
  for file in "$3" "$4"; do [ ! -e "$folder/$file" ] || fail "$file of the other language is installed"; done
  for file in "$event_source|EventMessageFile|$installed\\$1" "$event_source|TypesSupported|0x7" \
    "$run_key|Tavolin|\"$installed\\$1\"" "$uninstall_key|DisplayVersion|2.10.00" "$uninstall_key|Language|$5"; do
    IFS='|' read -r key name data <<<"$file"
    [ "$(value "$key" "$name")" = "$data" ] || fail "$key $name: $(value "$key" "$name"), not $data"
  done
  [ -f "$shortcut" ] || fail "no start-menu entry"
  # The silent installation's check: reading started from the reader on COM2.
  has "$folder/install-check.log" "^exit code: 0$"
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
wine_com 2
# A silent installation of the English program: its files, event source,
# start at log-on, start-menu and uninstall entries, the check in its log.
exits 0 run "$setup" /S /LANG=en
settle
check_installed tavolin_en.exe TavoHelp.mht tavolin_de.exe TavoHilfe.mht 1033
key_exists "$settings_key" || fail "the check did not create the settings"
# The installed program's -e says so in its message box; while it runs the
# installer and the quiet uninstallation refuse (exit code 2) and keep it.
spawn app run "$installed\\tavolin_en.exe" -e >"$work/app.out"
drive shown "Elvor Tavolin" 30000 >/dev/null || fail "tavolin_en -e shows no window"
expect "Default settings ok: Thread reading from COM2 is started. Program ends, so the installation can be finished." \
  text "Elvor Tavolin" 65535
exits 2 run "$setup" /S /LANG=de
[ -f "$folder/tavolin_en.exe" ] && [ ! -e "$folder/tavolin_de.exe" ] || fail "the installer replaced the running program"
exits 2 quiet_uninstall
[ -f "$folder/tavolin_en.exe" ] && [ -f "$folder/uninstall.exe" ] || fail "the refused uninstallation removed files"
drive click "Elvor Tavolin" 1 >/dev/null || fail "the message box has no OK"
reap app 0
# The registered quiet uninstallation removes all but the settings.
exits 0 quiet_uninstall
check_removed
key_exists "$settings_key" || fail "the uninstallation removed the settings"
# A language the installer does not know changes nothing.
exits 2 run "$setup" /S /LANG=fr
settle
[ ! -e "$folder" ] || fail "/LANG=fr installed"
# A folder outside Program Files: only administrators and the system may
# change it (wine keeps no access lists: its trace shows the one asked for).
folder=$prefix/drive_c/Tools/Tavolin installed='C:\Tools\Tavolin'
WINEDEBUG=trace+advapi,trace+security exits 0 \
  "$wine" "$setup" /S /LANG=de "/D=$installed" 2>"$work/acl.trace"
settle
check_installed tavolin_de.exe TavoHilfe.mht tavolin_en.exe TavoHelp.mht 1031
grep -qF 'ConvertStringSecurityDescriptorToSecurityDescriptorW L"D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"' \
  "$work/acl.trace" || fail "the installer asks for no access list of administrators and the system alone"
grep -qF 'SetNamedSecurityInfoW L"C:\\Tools\\Tavolin" 1 -2147483644' "$work/acl.trace" ||
  fail "the folder outside Program Files gets no protected access list"
exits 0 quiet_uninstall /REMOVESETTINGS
check_removed
key_exists "$settings_key" && fail "/REMOVESETTINGS keeps the settings"
key_exists 'HKLM\SOFTWARE\Brellmark' && fail "/REMOVESETTINGS keeps the empty key Brellmark"
echo "installer under wine: all checks passed"
