#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every file is in
# its place, that the entries say what the program does, and that the
# desktop-file and AppStream validators accept them (each skipped, with a
# note, where the tool is missing).
#   install-test.sh <build-dir>
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

# Every installed file, and nothing else.
sizes=(16 22 24 32 48 64 128 256 512)
expected=(
  bin/prelvane
  etc/xdg/autostart/prelvane-autostart.desktop
  lib/prelvane/libprelvane_sound_multimedia.so
  share/applications/prelvane.desktop
  share/icons/hicolor/scalable/apps/prelvane.svg
  share/metainfo/net.prelvane.Prelvane.metainfo.xml
)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/prelvane.png"); done
# The authorisation window's web view, where Qt WebEngine was there to build it.
[ -f "$build/plugins/libprelvane_oauth_webengine.so" ] && expected+=(lib/prelvane/libprelvane_oauth_webengine.so)
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) \
  || fail "the installed files differ from the expected ones (< expected, > installed)"

[ -x "$prefix/bin/prelvane" ] || fail "bin/prelvane is not executable"
# The icons: PNGs of their size, drawn from the SVG (not empty, not all one colour).
for s in "${sizes[@]}"; do
  f=$prefix/share/icons/hicolor/${s}x${s}/apps/prelvane.png
  read -r -a head <<<"$(od -An -tu1 -N24 "$f" | tr -s ' \n' ' ')"
  [ "${head[1]} ${head[2]} ${head[3]}" = "80 78 71" ] || fail "$f is not a PNG"
  w=$(( (head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19] ))
  h=$(( (head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23] ))
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$f is ${w}x${h}, not ${s}x${s}"
done
cmp -s "$prefix/share/icons/hicolor/scalable/apps/prelvane.svg" "$(dirname "$0")/../../resources/images/app_icon.svg" \
  || fail "the scalable icon is not the program's own icon"

# What the entries say.
desktop=$prefix/share/applications/prelvane.desktop
autostart=$prefix/etc/xdg/autostart/prelvane-autostart.desktop
metainfo=$prefix/share/metainfo/net.prelvane.Prelvane.metainfo.xml
key() { grep -m1 "^$2=" "$1" | cut -d= -f2-; }
[ "$(key "$desktop" Exec)" = prelvane ] || fail "Exec of the menu entry"
[ "$(key "$desktop" Icon)" = prelvane ] || fail "Icon of the menu entry"
# Qt names an X11 window's class after the application name (main.cpp: "Prelvane").
[ "$(key "$desktop" StartupWMClass)" = Prelvane ] || fail "StartupWMClass"
[ "$(key "$desktop" X-GNOME-SingleWindow)" = true ] || fail "single window"
key "$desktop" Name | grep -q '便签' || fail "the menu entry's name is not Chinese"
key "$desktop" Comment | grep -q '提醒' || fail "the menu entry's comment is not Chinese"
key "$desktop" Categories | grep -q '^Office;' || fail "Categories"
[ "$(key "$autostart" Exec)" = "prelvane --autostart" ] || fail "Exec of the autostart entry"
grep -q '<launchable type="desktop-id">prelvane.desktop</launchable>' "$metainfo" || fail "metainfo launchable"
grep -q "<release version=\"$("$prefix/bin/prelvane" --version | cut -d' ' -f2)\"" "$metainfo" \
  || fail "the metainfo's release is not the program's version"

# The installed program answers without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/prelvane" --help) || fail "--help"
grep -q -- '--autostart' <<<"$out" || fail "--help does not list --autostart"
"$prefix/bin/prelvane" --version | grep -Eq '^prelvane [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  desktop-file-validate "$autostart" || fail "desktop-file-validate $autostart"
else
  echo "note: desktop-file-validate is missing (scripts/setup-deps installs desktop-file-utils); not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate"
else
  echo "note: appstreamcli is missing (scripts/setup-deps installs appstream); not validated"
fi
echo "install into a prefix: all in place"
