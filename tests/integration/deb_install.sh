#!/usr/bin/env bash
# The Debian package on this machine: lintian, dpkg -i with its
# dependencies, the installed programs with the settings folder that the
# package makes, the systemd unit, and a purge that leaves nothing of the
# package behind.
#   deb_install.sh PACKAGE.deb
# It installs into the real system, so it runs only as root, never over an
# installed tavolin package, puts this machine's settings folder
# /etc/brellmark aside for the run, and purges the package on every way out.
set -u
deb=$(realpath "$1")
if [ "$(id -u)" != 0 ]; then
  echo "skipped: installing a package needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' tavolin 2>/dev/null | grep -q 'installed$'; then
  echo "FAILED: a tavolin package is installed; this test would replace and purge it"
  exit 1
fi
[ -e /var/lib/tavolin ] && { echo "FAILED: /var/lib/tavolin exists; a purge would remove it"; exit 1; }

work=$(mktemp -d)
installed='' saved='' run='' sim=''
cleanup() {
  for p in $run $sim; do kill "$p" 2>/dev/null; done
  [ -n "$installed" ] && dpkg --purge tavolin >/dev/null 2>&1
  if [ -n "$saved" ]; then
    rm -rf /etc/brellmark
    mv "$work/brellmark" /etc/brellmark
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  tail -n 20 "$work/log" 2>/dev/null
  exit 1
}
if [ -e /etc/brellmark ]; then
  mv /etc/brellmark "$work/brellmark"
  saved=1
fi

# lintian: no errors; its warnings are the README's.
lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian finds errors"; }
grep -E '^[EW]: ' "$work/lintian"

# What the package holds, and what of it is on this machine before.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/contents"
for path in /usr/bin/tavolin_en /usr/bin/tavolin_de /usr/bin/tavolin-console /usr/bin/tavolin-readersim \
  /usr/share/tavolin/TavoHelp.htm /usr/share/tavolin/TavoHilfe.htm /usr/share/tavolin/Ascii.htm \
  /usr/share/tavolin/Elvorbeep.wav /usr/share/tavolin/autostart/tavolin-autostart.desktop \
  /usr/share/applications/tavolin.desktop /usr/share/applications/tavolin-de.desktop \
  /usr/share/icons/hicolor/48x48/apps/tavolin.png /usr/share/icons/hicolor/scalable/apps/tavolin.svg \
  /lib/udev/rules.d/60-tavolin-uinput.rules /lib/systemd/system/tavolin-console.service \
  /usr/share/man/man1/tavolin-console.1.gz /usr/share/man/man1/tavolin-readersim.1.gz \
  /usr/share/doc/tavolin/copyright; do
  grep -qx "$path" "$work/contents" || fail "the package holds no $path"
done
while read -r path; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done <"$work/contents" >"$work/before"

if ! dpkg -i "$deb" >"$work/log" 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get -f install -y -q >>"$work/log" 2>&1 || fail "the dependencies cannot be installed"
fi
installed=1
dpkg-query -W -f='${Status}' tavolin | grep -q 'install ok installed$' || fail "tavolin is not installed"
dpkg -L tavolin >"$work/list"
echo "installed: $(wc -l <"$work/list") paths (dpkg -L tavolin)"

[ "$(/usr/bin/tavolin-console --version)" = "Elvor Tavolin Version 2.10.00" ] || fail "tavolin-console --version"
TAVOLIN_REGISTRY=$work/tavolin.reg /usr/bin/tavolin-console --show-settings >"$work/settings" 2>>"$work/log" ||
  fail "tavolin-console --show-settings"
[ "$(wc -l <"$work/settings")" = 27 ] || fail "--show-settings does not print 27 settings"
grep -qx 'Sound file=/usr/share/tavolin/Elvorbeep.wav' "$work/settings" ||
  fail "the default sound: $(grep Sound "$work/settings")"
for program in tavolin_en tavolin-readersim; do
  "/usr/bin/$program" --version | grep -q "Version 2.10.00" || fail "$program --version"
done

# The settings folder: root and the group sudo write the settings, and a
# change keeps the file theirs.
group=root
getent group sudo >/dev/null && group=sudo
[ "$(stat -c '%a %U:%G' /etc/brellmark)" = "2775 root:$group" ] || fail "/etc/brellmark: $(stat -c '%a %U:%G' /etc/brellmark)"
/usr/bin/tavolin-console --set "COM=/dev/ttyUSB0" >>"$work/log" 2>&1 || fail "--set into /etc/brellmark"
grep -q '^"COM"="/dev/ttyUSB0"' /etc/brellmark/tavolin.reg || fail "the setting is not in /etc/brellmark/tavolin.reg"
[ "$(stat -c '%a %U:%G' /etc/brellmark/tavolin.reg)" = "664 root:$group" ] ||
  fail "/etc/brellmark/tavolin.reg: $(stat -c '%a %U:%G' /etc/brellmark/tavolin.reg)"

systemd-analyze verify /lib/systemd/system/tavolin-console.service >"$work/verify" 2>&1 ||
  { cat "$work/verify"; fail "systemd-analyze verify"; }
grep 'tavolin' "$work/verify" && fail "systemd-analyze finds faults in the unit"

# The service is sandboxed: systemd rates what it may do at 2.0 at most.
unit=/lib/systemd/system/tavolin-console.service
systemd-analyze security --offline=yes "$unit" >"$work/security" 2>&1 || true
exposure=$(sed -n 's/.*Overall exposure level for tavolin-console.service: \([0-9.]*\).*/\1/p' "$work/security")
[ -n "$exposure" ] || { cat "$work/security"; fail "systemd-analyze security rates nothing"; }
echo "service exposure: $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e <= 2.0) }' || { grep '✗' "$work/security"; fail "the service's exposure is $exposure"; }

# And it works so: as the unit's user, groups and folder, without
# capabilities, with /etc read-only, it reads a card from the simulator
# (run by the same user, so the line is the user's), reads the machine's
# settings without writing them, and makes only the system calls the
# unit's filter lets through.
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
/usr/bin/tavolin-console --set "COM=$service/com" --set "Ravlink protocol=no" --set "Total reader data length=8" \
  --set "Read stop position=8" >>"$work/log" 2>&1 || fail "--set for the service"
cp -p /etc/brellmark/tavolin.reg "$work/settings.before"
as_service=(setpriv --reuid=tavolin --regid=tavolin
  --groups="$(getent group dialout | cut -d: -f3),$(id -g tavolin)" --no-new-privs --inh-caps=-all
  --bounding-set=-all env -i PATH=/usr/bin:/bin APPDATA=/var/lib/tavolin)
install -m 0644 -o tavolin -g tavolin /dev/null "$service/commands"
"${as_service[@]}" /usr/bin/tavolin-readersim --kind active --link "$service/com" --commands "$service/commands" \
  2>"$work/sim.log" &
sim=$!
for _ in $(seq 100); do [ -L "$service/com" ] && break; sleep 0.05; done
unshare --mount sh -c 'mount --bind /etc /etc && mount -o remount,bind,ro /etc && exec "$@"' sh \
  "${as_service[@]}" strace -f -qq -o "$service/syscalls" /usr/bin/tavolin-console --keyboard=print \
  >"$work/service.out" 2>"$work/service.err" </dev/null &
run=$!
for _ in $(seq 100); do grep -q "is active" "$work/service.out" && break; sleep 0.1; done
echo "text 12345678" >>"$service/commands"
for _ in $(seq 100); do grep -q "^Typed: 12345678" "$work/service.out" && break; sleep 0.1; done
pkill -TERM -u tavolin -x tavolin-console
wait "$run"
kill "$sim" 2>/dev/null
wait "$sim" 2>/dev/null
run='' sim=''
grep -q "^Typed: 12345678" "$work/service.out" ||
  fail "the service's user does not read a card: $(cat "$work/service.out" "$work/service.err" "$work/sim.log")"
cmp -s /etc/brellmark/tavolin.reg "$work/settings.before" || fail "the service's run changed the settings"
sed -n 's/^[0-9]* *\([a-z_0-9]*\)(.*/\1/p' "$service/syscalls" | sort -u >"$work/used"
[ -s "$work/used" ] || fail "no system calls traced"
comm -23 "$work/used" "$work/filter" | grep -vx 'execve' >"$work/refused" || true
[ ! -s "$work/refused" ] || fail "system calls the unit's filter refuses: $(tr '\n' ' ' <"$work/refused")"
echo "service run: a card read, $(wc -l <"$work/used") system calls, all allowed by the unit's filter"

dpkg --purge tavolin >"$work/log" 2>&1 || fail "dpkg --purge"
installed=''
while read -r path; do
  [ "$path" = /. ] && continue
  if [ -e "$path" ] || [ -L "$path" ]; then grep -qx "$path" "$work/before" || echo "$path"; fi
done <"$work/list" >"$work/left"
[ ! -s "$work/left" ] || fail "the purge leaves: $(tr '\n' ' ' <"$work/left")"
[ ! -e /etc/brellmark ] || fail "the purge leaves /etc/brellmark: $(ls -A /etc/brellmark)"

# A roll-out that copies the settings before the package: the folder gets
# the package's group and mode, the file stays as it was, and a purge
# keeps what the package did not make.
mkdir -m 0755 /etc/brellmark
printf '%s\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\SOFTWARE\Brellmark\Tavolin]' '"COM"="/dev/ttyUSB0"' \
  >/etc/brellmark/tavolin.reg
chmod 0644 /etc/brellmark/tavolin.reg
cp -p /etc/brellmark/tavolin.reg "$work/pushed"
dpkg -i "$deb" >"$work/log" 2>&1 || fail "dpkg -i over settings copied there before"
installed=1
[ "$(stat -c '%a %U:%G' /etc/brellmark)" = "2775 root:$group" ] ||
  fail "a folder copied there before: $(stat -c '%a %U:%G' /etc/brellmark)"
cmp -s /etc/brellmark/tavolin.reg "$work/pushed" && [ "$(stat -c %a /etc/brellmark/tavolin.reg)" = 644 ] ||
  fail "the installation changed a settings file copied there before"
dpkg --purge tavolin >"$work/log" 2>&1 || fail "dpkg --purge"
installed=''
cmp -s /etc/brellmark/tavolin.reg "$work/pushed" || fail "the purge removed a settings file the package did not make"
rm -rf /etc/brellmark
echo "Debian package: all checks passed"
