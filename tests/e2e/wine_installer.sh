#!/bin/sh
# The Windows installer under Wine on a virtual X display: made by CPack from the build,
# installed silently into a fresh prefix, the program, its Start-menu shortcut and its entry in
# "Installed apps" looked at; the clock started as the shortcut starts it keeps its style in
# %APPDATA%\Tavrin; installed again with the start at sign-in; removed, leaving the style.
# usage: wine_installer.sh WIN32_BUILD_DIR
. "$(dirname "$0")/lib.sh"
wine_run=$(cd "$(dirname "$0")/../../tools" && pwd)/wine-run
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)"; exit 77; }
start_display
export TAVRIN_WINEPREFIX="$work/prefix"
# Wine would add the shortcuts to this desktop's own menu.
export WINEDLLOVERRIDES=winemenubuilder.exe=d HOME="$work/home"
mkdir -p "$HOME"
trap 'WINEPREFIX="$TAVRIN_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

in_wine() { (cd "$work" && "$wine_run" "$@" 2>/dev/null </dev/null) | tr -d '\r'; }
quietly() { (cd "$work" && "$wine_run" "$@" >/dev/null 2>&1 </dev/null); }
unix_path() { in_wine winepath -u "$1"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin'
registered() { quietly reg query "$uninstall_key"; }
test_not() { ! "$@"; }
reg_value() { in_wine reg query "$uninstall_key" /v "$1" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }

# A shell link's target, working folder and icon, one to a line (the binary layout of .lnk files).
link_fields() {
  od -An -v -tu1 "$1" | awk '
    { for (i = 1; i <= NF; i++) b[n++] = $i + 0 }
    function u16(p) { return b[p] + 256 * b[p + 1] }
    function u32(p) { return u16(p) + 65536 * u16(p + 2) }
    function has(bit) { return int(flags / bit) % 2 }
    function text(p,   s) { s = ""; while (b[p]) s = s sprintf("%c", b[p++]); return s }
    END {
      flags = u32(20); p = 76
      if (has(1)) p += 2 + u16(p)
      if (has(2)) { target = text(p + u32(p + 16)) text(p + u32(p + 24)); p += u32(p) }
      for (bit = 4; bit <= 64; bit *= 2) if (has(bit)) {
        count = u16(p); p += 2; s = ""
        for (j = 0; j < count; j++) {
          c = has(128) ? u16(p + 2 * j) : b[p + j]
          if (c) s = s sprintf("%c", c)
        }
        p += has(128) ? 2 * count : count
        field[bit] = s
      }
      print target; print field[16]; print field[64]
    }'
}

# ---- the installer, and a silent install for everyone --------------------------------------
cpack=$(sed -n 's/^CMAKE_CPACK_COMMAND:INTERNAL=//p' "$build/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
"$cpack" -G NSIS --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1
installer=$work/package/tavrin-$version-win64.exe
check "CPack makes tavrin-$version-win64.exe" test -s "$installer"
[ -s "$installer" ] || { cat "$work/cpack.log"; finish; exit 1; }
check "the installer runs silently" quietly "$installer" /S

appdata=$(in_wine cmd /c 'echo %APPDATA%')
styles=$(unix_path "$appdata\\Tavrin")
menu=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
startup=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
program_dir=$(unix_path 'C:\Program Files\Tavrin')
program=$program_dir/tavrin.exe
check "tavrin.exe is installed in Program Files\\Tavrin" test -f "$program"

size=$(wc -c <"$program")
check "the installed tavrin.exe is at most 1 MB ($size bytes)" test "$size" -le 1048576
stripped() { ! x86_64-w64-mingw32-objdump -h "$program" | grep -q -e debug -e '\.symtab'; }
check "it carries no symbols or debugging information" stripped
dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
others=$(echo "$dlls" | grep -v -x -e advapi32.dll -e comctl32.dll -e comdlg32.dll -e gdi32.dll \
  -e kernel32.dll -e msvcrt.dll -e ole32.dll -e oleacc.dll -e oleaut32.dll -e shell32.dll -e user32.dll)
check "it needs only Windows' own DLLs ($(echo $dlls))" test -n "$dlls" -a -z "$others"

link="$menu/Tavrin Clock.lnk"
link_fields "$link" >"$work/link" 2>/dev/null
{ read -r target; read -r folder; read -r icon; } <"$work/link"
printf 'Start-menu shortcut: %s, started in %s, icon %s\n' "$target" "$folder" "$icon"
check "the Start-menu shortcut \"Tavrin Clock\" starts the installed tavrin.exe" \
  test -f "$link" -a "$(unix_path "$target")" -ef "$program"
check "it starts the clock in %APPDATA%\\Tavrin, each user's own" test "$folder" = '%APPDATA%\Tavrin'
check "its icon is the program's" test "$icon" = "$target"
check "the installer made the installing user's style folder" test -d "$styles"
check "nothing starts at sign-in unless asked for" test ! -e "$startup/Tavrin Clock.lnk"

check "\"Installed apps\" lists Tavrin Clock" test "$(reg_value DisplayName)" = "Tavrin Clock"
check "with its version, $version" test "$(reg_value DisplayVersion)" = "$version"
check "its publisher" test -n "$(reg_value Publisher)"
check "and the program's icon" test "$(reg_value DisplayIcon)" = "$target,0"
estimated=$(($(reg_value EstimatedSize)))
check "and its size, $estimated KB" test "$estimated" -ge $((size / 1024))
uninstaller=$(reg_value UninstallString | tr -d '"')
check "its uninstaller is there" test -f "$(unix_path "$uninstaller")"

# ---- the clock started from the shortcut ----------------------------------------------------
start_line='Arial,-33,0 1280x1024 (100,80)(420,330) 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0'
printf 'QZ1.1\n%s\n%s\n' "$start_line" "$(printf 'e1e1e1,%.0s' $(seq 16))" >"$styles/tavrin.sty"
clock_window() { xdotool search --onlyvisible --name '^the Tavrin Clock$' 2>/dev/null | head -n 1; }
(cd "$work" && "$wine_run" start /unix "$link" >/dev/null 2>&1)
for _ in $(seq 120); do wid=$(clock_window); [ -n "$wid" ] && break; sleep 0.25; done
check "the shortcut starts the clock" test -n "$wid"
sleep 1
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key --delay 150 m 2>/dev/null
xdotool keydown alt key F4 keyup alt 2>/dev/null
for _ in $(seq 40); do [ -z "$(clock_window)" ] && break; sleep 0.25; done
check "Alt+F4 ends it" test -z "$(clock_window)"
military_line=$(echo "$start_line" | sed 's/ 485 / 4C5 /')
check "its style in %APPDATA%\\Tavrin has the military time M turned on" \
  test "$(sed -n 2p "$styles/tavrin.sty")" = "$military_line"
check "nothing is written beside the program" test "$(ls "$program_dir")" = "$(printf 'Uninstall.exe\ntavrin.exe')"

# ---- again, with the start at sign-in; then removed -----------------------------------------
check "the installer runs again silently with /AUTOSTART=1" quietly "$installer" /S /AUTOSTART=1
link_fields "$startup/Tavrin Clock.lnk" >"$work/startup-link" 2>/dev/null
check "the Startup folder has the same shortcut as the Start menu" cmp -s "$work/link" "$work/startup-link"

check "the uninstaller runs silently" quietly "$uninstaller" /S
# It runs from a copy of itself in the temporary folder, and the first one returns at once.
for _ in $(seq 60); do [ -e "$program_dir" ] || break; sleep 0.5; done
check "no program file is left" test ! -e "$program_dir"
check "no shortcut is left" test ! -e "$link" -a ! -e "$startup/Tavrin Clock.lnk"
check "\"Installed apps\" no longer lists it" test_not registered
check "the user's style is kept" test "$(sed -n 2p "$styles/tavrin.sty")" = "$military_line"

finish
