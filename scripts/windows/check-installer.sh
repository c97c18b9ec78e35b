#!/usr/bin/env bash
# Checks the Windows packages under Wine, in a fresh private prefix. The installer: a silent
# install puts the zip's files, a Start-menu shortcut and the entry in the list of installed apps
# in place; the program started from the shortcut converts 1000 to 1111101000 and closes; a
# silent uninstall leaves nothing of it behind. The portable zip: the program run from an
# unpacked copy converts and writes nothing to the user's folders or the registry.
# Runs inside the Debian 13 root.
# Usage: scripts/windows/check-installer.sh SETUP_EXE [ZIP]   (ZIP: the zip beside SETUP_EXE)
set -euo pipefail
setup=${1:?usage: scripts/windows/check-installer.sh SETUP_EXE [ZIP]}
[ -f "$setup" ] || { echo "check-installer: no installer at $setup" >&2; exit 1; }
setup=$(realpath "$setup")
[[ $(basename "$setup") =~ ^Conversione-([0-9.]+)-setup\.exe$ ]] \
    || { echo "check-installer: $setup is not named Conversione-VERSION-setup.exe" >&2; exit 1; }
version=${BASH_REMATCH[1]}
zip=${2:-${setup%-setup.exe}-windows-x64.zip}
[ -f "$zip" ] || { echo "check-installer: no zip at $zip" >&2; exit 1; }
zip=$(realpath "$zip")
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
# shellcheck source=../lib/display.sh
source scripts/lib/display.sh
# shellcheck source=wine.sh
source scripts/windows/wine.sh

title=Conversione
stage=

fail() {
    echo "check-installer: FAIL${stage:+ ($stage)}: $*" >&2
    exit 1
}

# Whatever Wine writes under $HOME goes to a home of our own, removed at exit.
HOME=$(mktemp -d)
export HOME
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
remove_home() { rm -rf "$HOME"; }
on_exit remove_home
work=$(mktemp -d)
_remove_at_exit+=("$work")

# shellcheck disable=SC2119 # the default screen
wine_session
# Wine's desktop integration turns every Start-menu shortcut into a Linux menu entry, and removes
# it some time after the shortcut goes, keeping a list in the registry meanwhile: it would make
# the registry after the uninstall depend on timing, and it is Wine's, not the installer's.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

# A Windows path as seen from here, and the other way round.
unix_path() { winepath -u "$1" 2>/dev/null; }
win_var() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
local_appdata=$(win_var LOCALAPPDATA)
appdata=$(win_var APPDATA)
[[ $local_appdata == [A-Z]:* && $appdata == [A-Z]:* ]] \
    || fail "Wine does not name the user's folders (LOCALAPPDATA '$local_appdata')"
instdir_win="$local_appdata\\Programs\\Conversione"
instdir=$(unix_path "$instdir_win")
shortcut=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Conversione.lnk")
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Conversione'

# What the prefix holds, sorted: every file and folder of drive C (as "./path" lines), and every
# registry key and value (as "[key]" and "[key] name=data" lines).
snapshot() {
    local hive
    for hive in HKCU HKLM; do
        wine reg export "$hive" "$work/$hive.reg" /y >/dev/null 2>&1 || fail "reg export $hive failed"
    done
    {
        (cd "$WINEPREFIX/drive_c" && find . -mindepth 1)
        for hive in HKCU HKLM; do
            iconv -f UTF-16 -t UTF-8 "$work/$hive.reg" | tr -d '\r' | awk '
                /^\[/ { key = $0; print key; next }
                /^$/ || /^Windows Registry Editor/ { next }
                { print key " " $0 }'
        done
    } | LC_ALL=C sort
}
# What Wine writes anew each time its server starts, whatever runs: the hardware's description
# (a volatile key, rebuilt at each start on Windows too), the display devices and monitors, with
# new ids, dates and spellings, the count of the services' starts, and the list of the system's
# fonts (which another package's install may change meanwhile).
wine_noise='^\[HKEY_LOCAL_MACHINE\\(Hardware\\|System\\(ControlSet001|CurrentControlSet)\\Control\\((Class|DeviceClasses|Video)\\|ServiceCurrent\])|Software\\(Wow6432Node\\)?Microsoft\\Windows( NT)?\\CurrentVersion\\Fonts\])|^\[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\External Fonts\]'
# The lines of snapshot $2 that are not in snapshot $1, or (-23) the other way round.
added() { LC_ALL=C comm -13 "$1" "$2" | grep -vE "$wine_noise" || true; }
removed() { LC_ALL=C comm -23 "$1" "$2" | grep -vE "$wine_noise" || true; }
# The uninstaller's copy of itself in the user's temporary folder, which it runs from so that it
# can remove the original. It asks Windows to delete the copy at the next restart, which Windows
# refuses to a user without administrator rights; the temporary folder's cleaning removes it.
uninstaller_copy='^\./users/[^/]+/AppData/Local/Temp/~nsu[^/]*\.tmp(/[^/]+\.exe)?$'

# The Windows processes of this prefix whose command line names $1 (other Wine sessions on the
# machine run the same program).
prefix_processes() {
    local dir
    for dir in /proc/[0-9]*; do
        { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null | grep -qiF "$1" && echo "${dir#/proc/}"
    done
    return 0
}
no_program_runs() { [ -z "$(prefix_processes conversione.exe)" ]; }

sentinel="(nothing copied)"
clipboard() { xclip -o -selection clipboard 2>/dev/null | tr -d '\r' || true; }
clipboard_cleared() { [ "$(clipboard)" = "$sentinel" ]; }
clipboard_changed() { ! clipboard_cleared; }
active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
window_gone() { [ -z "$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null)" ]; }

# The program's window is open: 1000 typed into the input box in Binario, Return, Tab to the
# result box, and Ctrl+A Ctrl+C copies the result. Then Alt+F4 closes the window and the
# program ends.
convert_and_close() {
    local id got deadline
    id=$(wine_window "$title" 60) || fail "no window titled $title"
    poll 5 active_is "$id" || xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    poll 5 active_is "$id" || fail "the window does not get the keyboard focus"
    xdotool type --delay 30 1000
    xdotool key Return Tab
    # A key may come before a queued change of focus: ask again until the time is up.
    deadline=$((SECONDS + 10))
    while :; do
        printf '%s' "$sentinel" | xclip -i -selection clipboard
        poll 2 clipboard_cleared || fail "the clipboard cannot be set"
        xdotool key ctrl+a ctrl+c
        got=
        ! poll 1 clipboard_changed || got=$(clipboard)
        [ "$got" != 1111101000 ] || break
        [ "$SECONDS" -lt "$deadline" ] || fail "the result box holds '$got', expected 1111101000"
    done
    echo "ok: 1000 converted to $got"
    [ -n "$(prefix_processes conversione.exe)" ] || fail "no process of the program is found"
    xdotool key alt+F4
    poll 10 window_gone || fail "Alt+F4 did not close the window"
    poll 10 no_program_runs || fail "the program still runs after its window closed: $(prefix_processes conversione.exe)"
    echo "ok: the window closed and the program ended"
}

# --- The installer
stage=installer
before=$work/before-install
snapshot >"$before"
find "$HOME" -mindepth 1 -maxdepth 2 | LC_ALL=C sort >"$work/home-before"

start=$SECONDS
wine "$setup" /S >"$work/setup.log" 2>&1 || fail "the silent install ended with status $?"
timeout 60 wineserver -w || fail "the installer's processes did not end within 60 s"
echo "ok: silent install in $((SECONDS - start)) s"

# The installed files are the zip's, byte for byte, and the uninstaller.
mkdir -p "$work/zip"
python3 -m zipfile -e "$zip" "$work/zip" || fail "the zip cannot be unpacked"
unpacked=$work/zip/Conversione-$version
[ -f "$unpacked/conversione.exe" ] || fail "the zip holds no Conversione-$version/conversione.exe"
[ -d "$instdir" ] || fail "no folder $instdir_win"
diff -r -x disinstalla.exe "$unpacked" "$instdir" >&2 || fail "the installed files are not the zip's"
[ -f "$instdir/disinstalla.exe" ] || fail "no uninstaller in $instdir_win"
echo "ok: $(find "$instdir" -type f | wc -l) files in $instdir_win, the zip's and disinstalla.exe"

[ -f "$shortcut" ] || fail "no Start-menu shortcut Conversione.lnk"
# A shortcut holds its target's path (as UTF-16 or as ANSI text).
{ iconv -f UTF-16LE -t UTF-8 "$shortcut" 2>/dev/null; tr -c '[:print:]' '\n' <"$shortcut"; } \
    | grep -qiF "$instdir_win\\conversione.exe" || fail "the shortcut does not lead to $instdir_win\\conversione.exe"
echo "ok: the Start-menu shortcut leads to the program"

# The entry in the list of installed apps: each value's name, type and data ("*": any).
uninstaller="\"$instdir_win\\disinstalla.exe\""
expected_values=(
    "DisplayName          | REG_SZ    | Conversione"
    "DisplayVersion       | REG_SZ    | $version"
    "Publisher            | REG_SZ    | The Conversione developers"
    "DisplayIcon          | REG_SZ    | $instdir_win\\conversione.exe,0"
    "InstallLocation      | REG_SZ    | $instdir_win"
    "UninstallString      | REG_SZ    | $uninstaller"
    "QuietUninstallString | REG_SZ    | $uninstaller /S"
    "NoModify             | REG_DWORD | 0x1"
    "NoRepair             | REG_DWORD | 0x1"
    "EstimatedSize        | REG_DWORD | *"
)
entry=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r') \
    || fail "no key $uninstall_key"
for row in "${expected_values[@]}"; do
    IFS='|' read -r name type data <<<"$row"
    name=${name// /} type=${type// /} data=${data#" "}
    line=$(grep -E "^ +$name +REG_" <<<"$entry") || fail "$uninstall_key has no $name"
    read -r _ got_type got_data <<<"$line"
    [ "$got_type" = "$type" ] || fail "$name is $got_type, expected $type"
    [ "$data" = "*" ] || [ "$got_data" = "$data" ] || fail "$name is '$got_data', expected '$data'"
done
size=$(grep -E '^ +EstimatedSize ' <<<"$entry" | awk '{ print $3 }')
# The files' own bytes, in KiB rounded up. The installer rounds the staged files' total up and
# the uninstaller's size down, so an estimate within a KiB a file either way is right.
kib=$(find "$instdir" -type f -printf '%s\n' | awk '{ s += $1 } END { print int((s + 1023) / 1024) }')
files=$(find "$instdir" -type f | wc -l)
[ $((size)) -ge $((kib - files)) ] && [ $((size)) -le $((kib + files)) ] \
    || fail "EstimatedSize is $((size)) KiB, but $kib KiB are installed"
echo "ok: $uninstall_key holds the ${#expected_values[@]} values of the list of installed apps"

# The program from its shortcut, as the Start menu starts it.
shortcut_win="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Conversione.lnk"
wine start /wait "$shortcut_win" >"$work/program.log" 2>&1 &
started $!
convert_and_close

stage=uninstaller
start=$SECONDS
# The uninstaller copies itself to the temporary folder and runs from there, so that it can
# remove itself: the first process ends at once, and the work is done when all have ended.
wine "$instdir_win\\disinstalla.exe" /S >"$work/uninstall.log" 2>&1 || fail "the silent uninstall ended with status $?"
timeout 60 wineserver -w || fail "the uninstaller's processes did not end within 60 s"
echo "ok: silent uninstall in $((SECONDS - start)) s"

snapshot >"$work/after-uninstall"
left=$(added "$before" "$work/after-uninstall")
copy=$(grep -E "$uninstaller_copy" <<<"$left" || true)
left=$(grep -vE "$uninstaller_copy" <<<"$left" || true)
lost=$(removed "$before" "$work/after-uninstall")
[ -z "$copy" ] || { echo "note: the uninstaller's copy of itself stays in the temporary folder:"; echo "$copy"; }
[ -z "$left" ] || { echo "--- in the prefix since the install:" >&2; echo "$left" >&2; }
[ -z "$lost" ] || { echo "--- gone from the prefix since the install:" >&2; echo "$lost" >&2; }
[ -z "$left$lost" ] || fail "installing and uninstalling changed the prefix (above)"
echo "ok: the prefix's files and registry are as before the install"
home_left=$(find "$HOME" -mindepth 1 -maxdepth 2 | LC_ALL=C sort | LC_ALL=C comm -13 "$work/home-before" - | sed "s|^$HOME|~|")
[ -z "$home_left" ] || { echo "note: new in the (private) home folder meanwhile:"; echo "$home_left"; }

# --- The portable zip
stage=zip
before=$work/before-zip
snapshot >"$before"
wine "$unpacked/conversione.exe" >"$work/zip-program.log" 2>&1 &
started $!
convert_and_close
timeout 60 wineserver -w || fail "Wine's processes did not end within 60 s of the program's"
snapshot >"$work/after-zip"
files=$(added "$before" "$work/after-zip" | grep '^\./users/' || true)
keys=$(added "$before" "$work/after-zip" | grep '^\[' | grep -i conversione || true)
[ -z "$files" ] || { echo "--- new in the user's folders:" >&2; echo "$files" >&2; }
[ -z "$keys" ] || { echo "--- in the registry, named after the program:" >&2; echo "$keys" >&2; }
[ -z "$files$keys" ] || fail "the program run from the zip wrote to the user's folders or the registry"
echo "ok: the program from the zip wrote nothing to the user's folders or the registry"
echo "check-installer: the installer and the zip passed"
