#!/bin/sh
# Makes the Debian package and checks it, installs it into this machine's /usr, starts the clock
# through the desktop entry's launcher on a virtual X display, then removes the package and checks
# that nothing of it is left. Skipped (77) without root or dpkg's tools, with tavrin installed
# already, or in a sanitized build (which is not for packaging).
# usage: debian_package.sh BUILD_DIR
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing a package into /usr needs root"
for tool in dpkg-shlibdeps apt-get lintian man desktop-file-validate; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
installed() { case $(dpkg-query -W -f '${db:Status-Status}' tavrin 2>/dev/null) in ""|not-installed) false ;; esac; }
installed && skip "tavrin is installed: the test would remove it"
grep -q '^TAVRIN_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" && skip "a sanitized build is not packaged"

. "$(dirname "$0")/lib.sh"
# Whatever happens, the machine is left without the package.
trap 'kill $xvfb 2>/dev/null; dpkg --purge tavrin >/dev/null 2>&1; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
apt() { DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120 "$@" >"$work/log" 2>&1 || { cat "$work/log"; false; }; }

version=$("$build/tavrin" --version | sed 's/^tavrin //')
deb=$work/tavrin_${version}_$(dpkg --print-architecture).deb
check "cpack makes $(basename "$deb")" sh -c '
  cpack --config "$1/CPackConfig.cmake" -B "$2" >"$2/log" 2>&1 && test -f "$3" || { cat "$2/log"; false; }' \
  - "$build" "$work" "$deb" || { finish; exit; }
field() { dpkg-deb -f "$deb" "$1"; }
summary=$(sed -n 's:.*<summary>\(.*\)</summary>.*:\1:p' "$(dirname "$0")/../../data/tavrin.metainfo.xml")
# The libraries come from the program; the default style's font is named.
check "the control fields: version, dependencies, synopsis" sh -c '
  test "$1" = "tavrin $2" || exit 1
  for p in libqt6widgets6 libc6 fonts-liberation2; do echo "$3" | grep -Eq "(^|, )$p( |,|\$)" || exit 1; done
  case "$5" in *"$4") ;; *) exit 1 ;; esac' - "$(field Package) $(field Version)" "$version" "$(field Depends)" \
  "$(field Description | head -n 1)" "$summary"
check "the files, all under /usr" sh -c '
  dpkg-deb -c "$1" | awk "{print \$6}" >"$2" && ! grep -qv "^\./usr/" "$2" || exit 1
  for f in bin/tavrin bin/tavrin-launcher share/applications/tavrin.desktop share/metainfo/tavrin.metainfo.xml \
           share/icons/hicolor/scalable/apps/tavrin.svg share/man/man1/tavrin.1.gz share/doc/tavrin/changelog.gz; do
    grep -qx "\./usr/$f" "$2" || { echo "missing: /usr/$f"; exit 1; }
  done' - "$deb" "$work/contents"
# lintian holds the package to root-owned files, a stripped program, a copyright file and the rest.
check "lintian finds no error, and no warning that is not explained" sh -c '
  lintian --fail-on error,warning "$1" >"$2" 2>/dev/null || { cat "$2"; exit 1; }' - "$deb" "$work/lintian"

check "apt-get installs the package" apt install "$deb"
dpkg-query -L tavrin >"$work/files" 2>/dev/null
check "tavrin --version and man tavrin answer from /usr" test "$(PATH=/usr/bin:/bin tavrin --version) $(man -w tavrin)" = \
  "tavrin $version /usr/share/man/man1/tavrin.1.gz"
check "the desktop entry is where a menu looks, valid, its program on the PATH" sh -c 'desktop-file-validate "$1" &&
  test "$(PATH=/usr/bin:/bin command -v "$(sed -n "s/^Exec=//p" "$1")")" = /usr/bin/tavrin-launcher' \
  - /usr/share/applications/tavrin.desktop

# The launcher of the entry, with the system's fonts and a fresh home folder.
start_display
unset FONTCONFIG_FILE XDG_CONFIG_HOME
export HOME="$work/home"
clock=/usr/bin/tavrin-launcher
start_clock
press F4; ended=$?
check "the installed clock opens, ends on Alt+F4 and keeps its style in the home folder" \
  test -n "$wid" -a "$ended" -eq 0 -a -s "$HOME/.config/tavrin/tavrin.sty"

check "apt-get removes the package" apt remove tavrin
installed && gone=no || gone=yes
check "dpkg knows it no more and no file of it is left" sh -c '
  test "$2" = yes -a -s "$1" || exit 1
  while read -r path; do
    if [ -d "$path" ]; then case "$path" in */tavrin) echo "left: $path"; exit 1 ;; esac
    elif [ -e "$path" ] || [ -L "$path" ]; then echo "left: $path"; exit 1; fi
  done <"$1"' - "$work/files" "$gone"
finish
