#!/usr/bin/env bash
# The Debian packages on a fresh Debian 12 (the program and its sound plugin):
# made with cpack from the build, checked for what they require and recommend,
# installed with apt-get into a new root (debootstrap from Debian's mirror),
# started there under a virtual display until its login window shows; the
# start at login without a signed-in account ends at once; purging leaves
# nothing but the user's own data. Skipped (exit 77, with the reason) where a
# root cannot be made: not root, a tool missing, no network.
#   package-test.sh <build-dir> [cache-dir]
# The cache (default <build-dir>/package-test-cache) keeps the downloaded
# packages and the bare root between runs.
set -euo pipefail
build=$(cd "$1" && pwd)
cache=${2:-$build/package-test-cache}
mirror=${PRELVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian}
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $(date +%T) $*"; }

[ "$(id -u)" = 0 ] || skip "needs root (debootstrap, chroot and mounts)"
for tool in debootstrap unshare chroot Xvfb xwininfo xprop cpack dpkg-deb; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup-deps installs it)"
done

mkdir -p "$cache/debs" "$cache/archives/partial"
work=$(mktemp -d "$build/package-test.XXXXXX")
xvfb_pid=
app_pid=
# Ends a command and everything it started (the program runs below unshare, chroot and setpriv).
kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill "$1" 2>/dev/null || true
}
cleanup() {
  [ -n "${app_pid:-}" ] && kill_tree "$app_pid"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  # The mounts lived in the namespaces of the commands below and went with them.
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

step "the package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" -D CPACK_OUTPUT_FILE_PREFIX="$work/deb" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/deb/prelvane_*.deb)
sound_deb=$(ls "$work"/deb/prelvane-sound_*.deb)
web_deb=$(ls "$work"/deb/prelvane-web_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
sound_depends=$(dpkg-deb -f "$sound_deb" Depends)
web_depends=$(dpkg-deb -f "$web_deb" Depends)
echo "Depends: $depends"
echo "Recommends: $recommends"
echo "prelvane-sound Depends: $sound_depends"
echo "prelvane-web Depends: $web_depends"
for p in libqt6core6 libqt6widgets6 libqt6svg6 libqt6sql6-sqlite; do
  grep -q "\b$p\b" <<<"$depends" || fail "Depends lacks $p"
done
# The optional pieces are recommended, never required; sounds come in their own package.
for p in prelvane-web prelvane-sound; do
  grep -q "\b$p\b" <<<"$recommends" || fail "Recommends lacks $p"
  ! grep -q "\b$p\b" <<<"$depends" || fail "$p is required, not recommended"
done
for p in libqt6multimedia6 gstreamer1.0-plugins-good; do
  ! grep -q "\b$p\b" <<<"$depends" || fail "the program requires $p, which only the sound package needs"
  grep -q "\b$p\b" <<<"$sound_depends" || fail "prelvane-sound's Depends lacks $p"
done
grep -q "\bprelvane (= " <<<"$sound_depends" || fail "prelvane-sound does not require the program of its version"
# The plugin where the program looks for it (<bin>/../lib/prelvane), and nothing else.
[ "$(dpkg-deb -c "$sound_deb" | awk '$1 !~ /^d/ {print $6}')" = ./usr/lib/prelvane/libprelvane_sound_multimedia.so ] \
  || { dpkg-deb -c "$sound_deb"; fail "prelvane-sound's files"; }
! dpkg-deb -c "$deb" | grep -q 'lib/prelvane/' || fail "the program's package holds a plugin"
# The web view: Qt WebEngine is its package's dependency alone.
! grep -q "\blibqt6webengine" <<<"$depends" || fail "the program requires Qt WebEngine"
grep -q "\blibqt6webenginewidgets6\b" <<<"$web_depends" || fail "prelvane-web's Depends lacks libqt6webenginewidgets6"
grep -q "\bprelvane (= " <<<"$web_depends" || fail "prelvane-web does not require the program of its version"
[ "$(dpkg-deb -c "$web_deb" | awk '$1 !~ /^d/ {print $6}')" = ./usr/lib/prelvane/libprelvane_oauth_webengine.so ] \
  || { dpkg-deb -c "$web_deb"; fail "prelvane-web's files"; }

step "a fresh Debian 12 root"
base=$cache/bookworm-minbase.tar
if [ ! -f "$base" ]; then
  timeout 600 debootstrap --variant=minbase --cache-dir="$cache/debs" bookworm "$work/base" "$mirror" \
    >"$work/debootstrap.log" 2>&1 || { tail -5 "$work/debootstrap.log"; skip "cannot make a Debian 12 root from $mirror (no network?)"; }
  tar -C "$work/base" -cf "$base.part" . && mv "$base.part" "$base"
  rm -rf --one-file-system "$work/base"
fi
root=$work/root
mkdir -p "$root"
tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/prelvane.deb"
cp "$sound_deb" "$root/tmp/prelvane-sound.deb"
mkdir -p "$root/tmp/.X11-unix"
# Where X servers put their sockets; Xvfb makes it too, but the mounts need it first.
[ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix

# Runs a command in the root, with /proc, /dev, the package cache and the
# virtual display's socket mounted for it alone.
in_root() {
  unshare --mount --fork -- bash -c '
    set -e
    r=$1; shift
    mount -t proc proc "$r/proc"
    mount --rbind /dev "$r/dev"
    mount --bind "'"$cache"'/archives" "$r/var/cache/apt/archives"
    mount --bind /tmp/.X11-unix "$r/tmp/.X11-unix"
    exec chroot "$r" "$@"' in_root "$root" "$@"
}

step "apt-get install"
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q update >"$work/apt.log" 2>&1 \
  || { tail -5 "$work/apt.log"; skip "apt-get update failed in the root (no network?)"; }
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends /tmp/prelvane.deb \
  >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log"; fail "apt-get install of the package"; }
in_root dpkg -L prelvane >"$work/files"
step "apt-get install of the sound package"
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends /tmp/prelvane-sound.deb \
  >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log"; fail "apt-get install of the sound package"; }
in_root dpkg -L prelvane-sound >>"$work/files"
# Its dependencies are enough for the plugin to load: no library missing.
plugin=/usr/lib/prelvane/libprelvane_sound_multimedia.so
in_root test -f "$plugin" || fail "no $plugin"
! in_root ldd "$plugin" | grep 'not found' || fail "libraries of the sound plugin are missing"
in_root sh -c 'ls /usr/lib/*/gstreamer-1.0/libgstwavparse.so' >/dev/null \
  || fail "the GStreamer plugin that decodes WAV is missing"
in_root useradd -m user
in_root test -x /usr/bin/prelvane || fail "no /usr/bin/prelvane"
in_root test -f /etc/xdg/autostart/prelvane-autostart.desktop || fail "no autostart entry"

step "the login window under a virtual display"
display=
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
[ -n "$display" ] || fail "no free display number"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
run_as_user() {
  in_root env -i HOME=/home/user USER=user LANG=C.UTF-8 DISPLAY="$display" XDG_RUNTIME_DIR=/tmp/runtime-user \
    QT_QPA_PLATFORM=xcb PATH=/usr/bin:/bin setpriv --reuid=user --regid=user --init-groups "$@"
}
in_root install -d -m 700 -o user -g user /tmp/runtime-user
run_as_user prelvane >"$work/prelvane.log" 2>&1 &
app_pid=$!
# The shown window titled as the login window.
login_window() {
  local id
  for id in $(xwininfo -display "$display" -root -tree 2>/dev/null | grep '"Prelvane 登录' | awk '{print $1}'); do
    if xwininfo -display "$display" -id "$id" | grep -q 'Map State: IsViewable'; then echo "$id"; return; fi
  done
}
window=
for _ in $(seq 120); do
  window=$(login_window)
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || { cat "$work/prelvane.log"; fail "the program ended before showing its window"; }
  sleep 0.5
done
[ -n "$window" ] || { cat "$work/prelvane.log"; fail "no login window appeared"; }
# The menu entry's StartupWMClass is the class of the program's windows.
wm_class=$(xprop -display "$display" -id "$window" WM_CLASS)
echo "$wm_class"
grep -q '"Prelvane"$' <<<"$wm_class" || fail "WM_CLASS is not the menu entry's StartupWMClass: $wm_class"
kill_tree "$app_pid"
wait "$app_pid" || true
app_pid=
for _ in $(seq 40); do
  xwininfo -display "$display" -root -tree | grep -q '"Prelvane' || break
  sleep 0.25
done
! xwininfo -display "$display" -root -tree | grep -q '"Prelvane' || fail "the program did not end"

step "the start at login without a signed-in account"
start=$(date +%s)
rc=0
run_as_user timeout 60 prelvane --autostart >"$work/autostart.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || { cat "$work/autostart.log"; fail "prelvane --autostart ended with $rc"; }
echo "ended by itself after $(( $(date +%s) - start )) s"
! xwininfo -display "$display" -root -tree | grep -q '"Prelvane' || fail "a window was left"

step "apt-get purge"
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q purge -y prelvane prelvane-sound >>"$work/apt.log" 2>&1 \
  || { tail -10 "$work/apt.log"; fail "apt-get purge"; }
while read -r f; do
  [ -d "$root$f" ] && continue # a folder others share (/usr/bin, ...)
  [ ! -e "$root$f" ] || fail "$f is left after the purge"
done <"$work/files"
left=$(cd "$root" && find . -xdev \( -path ./proc -o -path ./tmp -o -path ./home -o -path ./var/cache/apt \) -prune \
  -o -iname '*prelvane*' -print)
[ -z "$left" ] || fail "left after the purge: $left"
# What is left is the user's own data.
in_root test -f /home/user/.local/share/Prelvane/LoginAccount.sqlite || fail "the user's store is gone"
echo "the package installs, starts and goes cleanly"
