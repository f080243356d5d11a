#!/usr/bin/env bash
# The Debian package on this machine. It installs into the real system, so
# it runs only as root, never over an installed tavolin package, puts this
# machine's settings folder /etc/brellmark aside, and purges on every way out.
#   deb_install.sh PACKAGE.deb
deb=$(realpath "$1")
[ "$(id -u)" = 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
! dpkg-query -W -f='${Status}' tavolin 2>/dev/null | grep -q 'installed$' ||
  { echo "FAILED: a tavolin package is installed; this test would replace and purge it"; exit 1; }
[ -e /var/lib/tavolin ] && { echo "FAILED: /var/lib/tavolin exists; a purge would remove it"; exit 1; }
source "$(dirname "$0")/lib.bash"
console=/usr/bin/tavolin-console installed='' saved=''
logs=(log service.out service.err sim.log) at_exit=('[ -n "$installed" ] && dpkg --purge tavolin >/dev/null 2>&1'
  '[ -n "$saved" ] && rm -rf /etc/brellmark && mv "$work/brellmark" /etc/brellmark')
[ -e /etc/brellmark ] && mv /etc/brellmark "$work/brellmark" && saved=1
purge() { dpkg --purge tavolin >"$work/log" 2>&1 || fail "dpkg --purge"; installed=''; }
mode() { stat -c '%a %U:%G' "$1"; }
# lintian: no errors; its warnings are the README's.
lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian finds errors"; }
grep -E '^[EW]: ' "$work/lintian"
# What the package holds, and what of it is on this machine before.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/contents"
for path in /usr/bin/{tavolin_en,tavolin_de,tavolin-console,tavolin-readersim} \
  /usr/share/tavolin/{TavoHelp.htm,TavoHilfe.htm,Ascii.htm,Elvorbeep.wav,autostart/tavolin-autostart.desktop} \
  /usr/share/applications/{tavolin,tavolin-de}.desktop /usr/share/icons/hicolor/{48x48/apps/tavolin.png,scalable/apps/tavolin.svg} \
  /lib/udev/rules.d/60-tavolin-uinput.rules /lib/systemd/system/tavolin-console.service \
  /usr/share/man/man1/{tavolin-console,tavolin-readersim}.1.gz /usr/share/doc/tavolin/copyright; do
  grep -qx "$path" "$work/contents" || fail "the package holds no $path"
done
while read -r path; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done <"$work/contents" >"$work/before"
# dpkg -i with its dependencies, and the installed programs.
dpkg -i "$deb" >"$work/log" 2>&1 || DEBIAN_FRONTEND=noninteractive apt-get -f install -y -q >>"$work/log" 2>&1 ||
  fail "the dependencies cannot be installed"
installed=1
dpkg-query -W -f='${Status}' tavolin | grep -q 'install ok installed$' || fail "tavolin is not installed"
dpkg -L tavolin >"$work/list"
echo "installed: $(wc -l <"$work/list") paths (dpkg -L tavolin)"
[ "$("$console" --version)" = "Elvor Tavolin Version 2.10.00" ] || fail "tavolin-console --version"
TAVOLIN_REGISTRY=$work/tavolin.reg "$console" --show-settings >"$work/settings" 2>>"$work/log" ||
  fail "tavolin-console --show-settings"
[ "$(wc -l <"$work/settings")" = 27 ] || fail "--show-settings does not print 27 settings"
has settings '^Sound file=/usr/share/tavolin/Elvorbeep.wav$'
for p in tavolin_en tavolin-readersim; do "/usr/bin/$p" --version | grep -q "Version 2.10.00" || fail "$p --version"; done
# The settings folder: root and the group sudo write, a change keeps it so.
group=$(getent group sudo >/dev/null && echo sudo || echo root)
[ "$(mode /etc/brellmark)" = "2775 root:$group" ] || fail "/etc/brellmark: $(mode /etc/brellmark)"
settings "COM=/dev/ttyUSB0"
has /etc/brellmark/tavolin.reg '^"COM"="/dev/ttyUSB0"'
[ "$(mode /etc/brellmark/tavolin.reg)" = "664 root:$group" ] || fail "tavolin.reg: $(mode /etc/brellmark/tavolin.reg)"
unit=/lib/systemd/system/tavolin-console.service
systemd-analyze verify "$unit" >"$work/verify" 2>&1 || { cat "$work/verify"; fail "systemd-analyze verify"; }
grep 'tavolin' "$work/verify" && fail "systemd-analyze finds faults in the unit"
# The service is sandboxed: systemd rates what it may do at 2.0 at most.
systemd-analyze security --offline=yes "$unit" >"$work/security" 2>&1
exposure=$(sed -n 's/.*Overall exposure level for tavolin-console.service: \([0-9.]*\).*/\1/p' "$work/security")
[ -n "$exposure" ] || { cat "$work/security"; fail "systemd-analyze security rates nothing"; }
echo "service exposure: $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e <= 2.0) }' || { grep '✗' "$work/security"; fail "the service's exposure is $exposure"; }
# And it works so: as the unit's user, groups and folder, without
# capabilities, /etc read-only, it reads a card (from the user's simulator)
# and the settings, writes no settings, makes only the system calls allowed.
getent passwd tavolin >/dev/null || fail "the package made no user tavolin"
syscalls_of() {
  systemd-analyze syscall-filter "$1" | tail -n +2 | sed 's/^ *//; /^#/d; /^$/d' | while read -r name; do
    case $name in @*) syscalls_of "$name" ;; *) echo "$name" ;; esac
  done
}
syscalls_of @system-service | sort -u >"$work/allowed"
{ syscalls_of @privileged; syscalls_of @resources; } | sort -u | comm -23 "$work/allowed" - >"$work/filter"
service=$work/service
mkdir -m 0755 "$service" && chown tavolin:tavolin "$service" && chmod 0755 "$work"
install -d -m 0700 -o tavolin -g tavolin /var/lib/tavolin
settings "COM=$service/com" "Ravlink protocol=no" "Total reader data length=8" "Read stop position=8"
cp -p /etc/brellmark/tavolin.reg "$work/settings.before"
as_service=(setpriv --reuid=tavolin --regid=tavolin
  --groups="$(getent group dialout | cut -d: -f3),$(id -g tavolin)" --no-new-privs --inh-caps=-all
  --bounding-set=-all env -i PATH=/usr/bin:/bin APPDATA=/var/lib/tavolin)
install -m 0644 -o tavolin -g tavolin /dev/null "$service/commands"
spawn reader "${as_service[@]}" /usr/bin/tavolin-readersim --kind active --link "$service/com" --commands "$service/commands" \
  2>"$work/sim.log"
within 5 test -L "$service/com" || fail "no simulated reader"
spawn run unshare --mount sh -c 'mount --bind /etc /etc && mount -o remount,bind,ro /etc && exec "$@"' sh \
  "${as_service[@]}" strace -f -qq -o "$service/syscalls" /usr/bin/tavolin-console --keyboard=print \
  >"$work/service.out" 2>"$work/service.err" </dev/null
wait_for service.out "is active"
echo "text 12345678" >>"$service/commands"
wait_for service.out "^Typed: 12345678"
pkill -TERM -u tavolin -x tavolin-console
reap run
stop reader
cmp -s /etc/brellmark/tavolin.reg "$work/settings.before" || fail "the service's run changed the settings"
sed -n 's/^[0-9]* *\([a-z_0-9]*\)(.*/\1/p' "$service/syscalls" | sort -u >"$work/used"
[ -s "$work/used" ] || fail "no system calls traced"
comm -23 "$work/used" "$work/filter" | grep -vx 'execve' >"$work/refused"
[ ! -s "$work/refused" ] || fail "system calls the unit's filter refuses: $(tr '\n' ' ' <"$work/refused")"
echo "service run: a card read, $(wc -l <"$work/used") system calls, all allowed by the unit's filter"
# A purge leaves nothing of the package behind.
purge
while read -r path; do
  [ "$path" = /. ] && continue
  if [ -e "$path" ] || [ -L "$path" ]; then grep -qx "$path" "$work/before" || echo "$path"; fi
done <"$work/list" >"$work/left"
[ ! -s "$work/left" ] || fail "the purge leaves: $(tr '\n' ' ' <"$work/left")"
[ ! -e /etc/brellmark ] || fail "the purge leaves /etc/brellmark: $(ls -A /etc/brellmark)"
# Settings copied there before the package: the folder gets the package's
# group and mode, the file stays as it was, and a purge keeps it.
mkdir -m 0755 /etc/brellmark
printf '%s\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\SOFTWARE\Brellmark\Tavolin]' '"COM"="/dev/ttyUSB0"' >"$work/pushed"
install -m 0644 "$work/pushed" /etc/brellmark/tavolin.reg
dpkg -i "$deb" >"$work/log" 2>&1 || fail "dpkg -i over settings copied there before"
installed=1
[ "$(mode /etc/brellmark)" = "2775 root:$group" ] || fail "a folder copied there before: $(mode /etc/brellmark)"
cmp -s /etc/brellmark/tavolin.reg "$work/pushed" && [ "$(stat -c %a /etc/brellmark/tavolin.reg)" = 644 ] ||
  fail "the installation changed a settings file copied there before"
purge
cmp -s /etc/brellmark/tavolin.reg "$work/pushed" || fail "the purge removed a settings file the package did not make"
rm -rf /etc/brellmark
echo "Debian package: all checks passed"
