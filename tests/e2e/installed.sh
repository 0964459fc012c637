#!/bin/sh
# Installs the build to a scratch prefix and checks what a desktop finds there: the program and its
# launcher, the desktop entry, the icons, the metainfo and the manual page; then starts the clock
# through the launcher on a virtual X display and checks where its style ends up.
# usage: installed.sh BUILD_DIR
build=$(cd "$1" && pwd)
passed=0
failed=0
work=$(mktemp -d)
prefix=$work/prefix
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

check() {  # name, then a command that must succeed
  name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $name"
  else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

check "cmake --install puts everything under the prefix" cmake --install "$build" --prefix "$prefix"
share=$prefix/share
entry=$share/applications/tavrin.desktop
key() { sed -n "s/^$1=//p" "$entry"; }

check "the desktop entry is valid" desktop-file-validate "$entry"
# The ID cannot be a reverse domain name until the project has a domain of its own.
check "the metainfo and its desktop entry are valid" \
  appstreamcli validate-tree --no-net --override cid-desktopapp-is-not-rdns=info "$prefix"
check "the entry starts a program installed beside the clock" test -x "$prefix/bin/$(key Exec)"
check "the entry's icon is there as scalable SVG" test -s "$share/icons/hicolor/scalable/apps/$(key Icon).svg"

png_size() {  # width x height from a PNG header
  od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'
}
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  png=$share/icons/hicolor/$size/apps/$(key Icon).png
  check "the $size icon is $size" test "$(png_size "$png" 2>/dev/null)" = "$size"
done

check "the manual page formats without warnings" \
  test -z "$(groff -man -ww -z "$share/man/man1/tavrin.1" 2>&1)"
check "the launcher's manual page is the clock's" test -n "$(MANPATH=$share/man man -w tavrin-launcher 2>/dev/null)"
check "the manual page lists every option of the usage text" sh -c '
  options=$("$1" --help | sed -n "s/^ *\([0-9]\)  .*/\1/p")
  [ -n "$options" ] || exit 1
  for n in $options; do
    grep -q "^\.B $n\$" "$2" || exit 1
  done' - "$prefix/bin/tavrin" "$share/man/man1/tavrin.1"

# The launcher finds the clock beside itself even when reached through a link.
ln -s "$prefix/bin/tavrin-launcher" "$work/linked-launcher"
check "the launcher hands its arguments to the clock" \
  test "$("$work/linked-launcher" --version)" = "$("$prefix/bin/tavrin" --version)"

# Starting at login: the entry starts the installed launcher, however it was reached.
autostart=$work/xdg/autostart/tavrin.desktop
XDG_CONFIG_HOME=$work/xdg "$work/linked-launcher" --autostart on >/dev/null
check "--autostart on writes a valid autostart entry" desktop-file-validate "$autostart"
check "which starts the installed launcher" \
  test "$(sed -n 's/^Exec=//p' "$autostart")" = "\"$prefix/bin/tavrin-launcher\""
HOME=$work/home0 XDG_CONFIG_HOME=relative "$work/linked-launcher" --autostart on >/dev/null
check "without a usable XDG_CONFIG_HOME it goes to ~/.config/autostart" test -s "$work/home0/.config/autostart/tavrin.desktop"
XDG_CONFIG_HOME=$work/xdg "$work/linked-launcher" --autostart off >/dev/null
check "--autostart off removes it" test ! -e "$autostart"

# ---- on a virtual X display ----
display=${TAVRIN_E2E_DISPLAY:-:81}
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 60); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.25; done
unset QT_QPA_PLATFORM
export FONTCONFIG_FILE="$(cd "$(dirname "$0")/../fonts" && pwd)/standard.conf"

launch_and_exit() {  # XDG_CONFIG_HOME or "unset", HOME: starts the launcher elsewhere, ends the clock with Alt+F4
  mkdir -p "$work/elsewhere"
  (cd "$work/elsewhere" && export HOME="$2" && if [ "$1" = unset ]; then unset XDG_CONFIG_HOME; else export XDG_CONFIG_HOME="$1"; fi &&
   exec "$prefix/bin/tavrin-launcher") &
  pid=$!
  wid=""
  for _ in $(seq 40); do
    wid=$(xdotool search --name '^the Tavrin Clock$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.25
  done
  sleep 0.5
  xdotool windowfocus --sync "$wid" 2>/dev/null
  xdotool keydown alt key F4 keyup alt 2>/dev/null
  for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# XDG_CONFIG_HOME as set, unset, or relative (which the base-directory rules say to ignore).
for case in "$work/config $work/home1 $work/config/tavrin" \
            "unset $work/home2 $work/home2/.config/tavrin" \
            "relative $work/home3 $work/home3/.config/tavrin"; do
  set -- $case
  launch_and_exit "$1" "$2"
  check "launched with XDG_CONFIG_HOME=$1, the style is kept in $3" test -s "$3/tavrin.sty"
  check "launched with XDG_CONFIG_HOME=$1, nothing is left where it was started" \
    test ! -e "$work/elsewhere/tavrin.sty" -a ! -e "$work/elsewhere/relative"
done

check "the clocks started above asked for no start at login" \
  test -z "$(find "$work/config" "$work/home2" "$work/home3" -name autostart)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
