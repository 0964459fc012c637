#!/bin/sh
# The Windows installer under Wine on a virtual X display: made by CPack from the build and
# installed silently into a fresh prefix; the clock started from its Start-menu shortcut keeps
# its style in %APPDATA%\Tavrin; installed again to start at sign-in; removed, style kept.
# usage: wine_installer.sh WIN32_BUILD_DIR
. "$(dirname "$0")/lib.sh"
wine_run=$(cd "$(dirname "$0")/../../tools" && pwd)/wine-run
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)"; exit 77; }
start_display
# A fresh prefix; and Wine would add the shortcuts to this desktop's own menu.
export TAVRIN_WINEPREFIX="$work/prefix" WINEDLLOVERRIDES=winemenubuilder.exe=d HOME="$work/home"
trap 'WINEPREFIX="$TAVRIN_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

quietly() { (cd "$work" && "$wine_run" "$@" >/dev/null 2>&1 </dev/null); }
in_wine() { (cd "$work" && "$wine_run" "$@" 2>/dev/null </dev/null) | tr -d '\r'; }
unix_path() { in_wine winepath -u "$1"; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin'
reg_value() { in_wine reg query "${2:-$key}" /v "$1" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
setup_key='HKLM\Software\Microsoft\Active Setup\Installed Components\Tavrin'
unregistered() { ! quietly reg query "$key" && ! quietly reg query "$setup_key"; }
link_holds() { { strings -a "$1"; strings -a -el "$1"; } | grep -qxF "$2"; }   # a whole string in a .lnk
in_style_folder() { test -d "$styles" && link_holds "$link" '%APPDATA%\Tavrin'; }
clock_window() { xdotool search --onlyvisible --name '^the Tavrin Clock$' 2>/dev/null | head -n 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
installer=$work/package/tavrin-$version-win64.exe
"$(sed -n 's/^CMAKE_CPACK_COMMAND:INTERNAL=//p' "$build/CMakeCache.txt")" -G NSIS \
  --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || cat "$work/cpack.log"
check "CPack makes tavrin-$version-win64.exe" test -s "$installer"
check "it installs silently" quietly "$installer" /S

appdata=$(in_wine cmd /c 'echo %APPDATA%')
styles=$(unix_path "$appdata\\Tavrin")
link=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tavrin Clock.lnk')
startup_link=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\Tavrin Clock.lnk")
exe='C:\Program Files\Tavrin\tavrin.exe'
program=$(unix_path "$exe")
size=$(wc -c <"$program")
check "tavrin.exe is in Program Files\\Tavrin, at most 1 MB ($size bytes)" test "$size" -le 1048576
dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
check "it needs only Windows' own DLLs ($(echo $dlls))" test -n "$dlls" -a -z "$(echo "$dlls" | grep -vx \
  -e advapi32.dll -e comctl32.dll -e comdlg32.dll -e gdi32.dll -e kernel32.dll -e msvcrt.dll \
  -e ole32.dll -e oleacc.dll -e oleaut32.dll -e shell32.dll -e user32.dll)"
check "the Start-menu shortcut \"Tavrin Clock\" starts it" link_holds "$link" "$exe"
check "in %APPDATA%\\Tavrin, each user's own, made for the installing user" in_style_folder
eval "set -- $(reg_value StubPath "$setup_key")"
rmdir "$styles" && quietly "$@"
check "and by Active Setup for any other at their first sign-in" test -d "$styles"
check "nothing starts at sign-in unless asked for" test ! -e "$startup_link"
check "\"Installed apps\" has the name, version, publisher and icon" test \
  "$(reg_value DisplayName)|$(reg_value DisplayVersion)|$(reg_value Publisher)|$(reg_value DisplayIcon)" = \
  "Tavrin Clock|$version|the Tavrin clock project|$exe,0"
check "and the size" test "$(($(reg_value EstimatedSize)))" -ge $((size / 1024))

# The clock as the shortcut starts it: M turns on military time (485 to 4C5), Alt+F4 saves.
start_line='Arial,-33,0 1280x1024 (100,80)(420,330) 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0'
printf 'QZ1.1\n%s\n%s\n' "$start_line" "$(printf 'e1e1e1,%.0s' $(seq 16))" >"$styles/tavrin.sty"
quietly start /unix "$link"
for _ in $(seq 120); do wid=$(clock_window); [ -n "$wid" ] && break; sleep 0.25; done
sleep 1
xdotool windowfocus --sync "$wid" key --delay 150 m keydown alt key F4 keyup alt 2>/dev/null
for _ in $(seq 40); do [ -z "$(clock_window)" ] && break; sleep 0.25; done
military_line=$(echo "$start_line" | sed 's/ 485 / 4C5 /')
check "the clock started from the shortcut keeps its style in %APPDATA%\\Tavrin" \
  test "$(sed -n 2p "$styles/tavrin.sty")" = "$military_line"
check "and writes nothing beside the program" test "$(ls "$(dirname "$program")")" = "$(printf 'Uninstall.exe\ntavrin.exe')"

check "installed again with /AUTOSTART=1" quietly "$installer" /S /AUTOSTART=1
check "the Startup folder has the shortcut of the Start menu" cmp -s "$link" "$startup_link"
check "the registered uninstaller removes it silently" quietly "$(reg_value UninstallString | tr -d '"')" /S
# It runs from a copy of itself in the temporary folder; the one started returns at once.
for _ in $(seq 60); do [ -e "$program" ] || break; sleep 0.5; done
check "leaving no program file" test ! -e "$(dirname "$program")"
check "no shortcut" test ! -e "$link" -a ! -e "$startup_link"
check "no entry in \"Installed apps\" or Active Setup" unregistered
check "and the user's style as it was" test "$(sed -n 2p "$styles/tavrin.sty")" = "$military_line"

finish
