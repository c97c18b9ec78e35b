#!/usr/bin/env bash
# Checks what UI Automation, which Narrator and NVDA read on Windows, gives of the Windows
# program's window under Wine: the whole tree against uia/expected-tree.txt, then the element
# with the keyboard focus at start and after each key of a walk through the window. The client,
# uia/uia-tree.cpp, is built into BUILD_DIR when older than its source. Runs inside the Debian 13
# root (Wine 10: Wine 8 has no UI Automation client). A private X display, window manager and
# Wine prefix are made for the check and removed at exit.
# Usage: scripts/windows/check-uia.sh EXE BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_file=$here/uia/uia-tree.cpp
expected_tree=$here/uia/expected-tree.txt

# The walk through the window from the keyboard: the step's name, the keys pressed ("start"
# presses none), and the element that must then have the keyboard focus, its control type and
# name as uia-tree prints them. Accessibility news is asynchronous: each step waits a few seconds
# for the focus to arrive.
steps=(
    'focus at start                       | start | Edit "Input"'
    'Tab: Input to Risultato              | Tab   | Edit "Risultato"'
    'Tab: Risultato to Converti           | Tab   | Button "Converti"'
    'Tab: Converti to the option group    | Tab   | RadioButton "Binario"'
    # Selecting an option sends the focus back to the input box.
    'Down: Decimale selected, focus Input | Down  | Edit "Input"'
)
wait_seconds=10

if [ $# -ne 2 ]; then
    echo "usage: $0 EXE BUILD_DIR" >&2
    exit 2
fi
if [ ! -f "$1" ]; then
    echo "check-uia: no program at $1" >&2
    exit 1
fi
for tool in wine xdotool x86_64-w64-mingw32-g++-posix; do
    if ! command -v "$tool" >/dev/null; then
        echo "check-uia: $tool is missing (run this inside the Debian 13 root)" >&2
        exit 1
    fi
done
exe=$(realpath "$1")
mkdir -p "$2"
client=$(realpath "$2")/uia-tree.exe

if [ ! "$client" -nt "$source_file" ]; then
    echo "check-uia: building $client" >&2
    # Into a new file first, so that a build that fails leaves no client newer than its source.
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -Wall -Wextra -Wpedantic \
        -o "$client.new" "$source_file" -lole32 -loleaut32 -luuid
    mv "$client.new" "$client"
fi

# shellcheck source=../lib/display.sh
source "$here/../lib/display.sh"
# shellcheck source=wine.sh
source "$here/wine.sh"

work=$(mktemp -d)
remove_work() { rm -rf "$work"; }
on_exit remove_work
# The expected tree less its comment lines.
grep -v '^#' "$expected_tree" >"$work/expected" || true
[ -s "$work/expected" ] || { echo "check-uia: $expected_tree holds no tree" >&2; exit 1; }

step=setup
fail() {
    echo "check-uia: FAILED at $step: $*" >&2
    exit 1
}

# uia-tree's output in $work/out, its one-line reason (if any) in $work/err.
uia() {
    timeout 30 wine "$client" "$@" >"$work/out" 2>"$work/err"
}
program_runs() { alive "$program"; }
tree_is_expected() {
    program_runs && uia && cmp -s "$work/expected" "$work/out"
}
focus_is() {
    program_runs && uia --focus && [[ $(<"$work/out") == "$1 "* ]]
}
trim() {
    local text=${1#"${1%%[! ]*}"}
    echo "${text%"${text##*[! ]}"}"
}
# What the client said last, for a failure's message.
last_reading() {
    if [ -s "$work/out" ]; then cat "$work/out"; else grep -v wine32 "$work/err" || true; fi
}

# shellcheck disable=SC2119 # the default screen
wine_session
wine "$exe" >"$work/program.log" 2>&1 &
program=$!
started "$program"
step="window"
win=$(wine_window Conversione 30) || fail "no window titled Conversione within 30 s"
# Keys go to the active window. openbox activates a new window, but not always by the time it
# is mapped.
active_is_program() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$win" ]; }
poll 5 active_is_program || timeout 10 xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
poll 5 active_is_program || fail "the window does not get the keyboard focus"

step="whole tree"
if ! poll "$wait_seconds" tree_is_expected; then
    program_runs || fail "the program exited"
    [ -s "$work/out" ] || fail "$(last_reading)"
    diff -u --label expected-tree.txt --label "what UI Automation gives" \
        "$work/expected" "$work/out" >&2 || true
    fail "the tree differs from uia/expected-tree.txt (diff above)"
fi
echo "check-uia: the tree is as expected ($(wc -l <"$work/expected") elements)"

for entry in "${steps[@]}"; do
    IFS='|' read -r step keys want <<<"$entry"
    step=$(trim "$step") keys=$(trim "$keys") want=$(trim "$want")
    if [ "$keys" != start ]; then
        # shellcheck disable=SC2086 # one or more key names
        xdotool key --clearmodifiers $keys
    fi
    if ! poll "$wait_seconds" focus_is "$want"; then
        program_runs || fail "the program exited"
        fail "the focus is on $(last_reading), expected $want"
    fi
    echo "check-uia: $step: the focus is on $want"
done
echo "check-uia: passed"
