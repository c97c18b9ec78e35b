#!/usr/bin/env bash
# Starts the program on a virtual display, waits until its window "Conversione" is mapped,
# converts "1000", saves a screenshot of the window, then ends the program with "Chiudi" and
# checks that it exits with status 0.
# Usage: scripts/screenshot.sh PROGRAM OUTPUT.png   (a window manager, if installed, adds a frame)
set -euo pipefail
program=$(realpath "$1")
output=$2
bash "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" display

# shellcheck source=lib/display.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/display.sh"
# A window manager is up once it names itself on the root window.
window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
private_runtime_dir
start_display -screen 0 480x280x24
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    started $!
    poll 10 window_manager_ready || { echo "screenshot: openbox did not start" >&2; exit 1; }
fi

"$program" &
pid=$!
started $pid
id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Conversione$' | head -n 1)
[ -n "$id" ] || { echo "screenshot: the window never mapped" >&2; exit 1; }
echo "window $id mapped"
sleep 0.5
xdotool windowactivate --sync "$id" 2>/dev/null || true
xdotool type --delay 30 "1000"
xdotool key Return
sleep 0.3
if command -v openbox >/dev/null; then
    import -window "$id" -frame "$output"
else
    import -window "$id" "$output"
fi
echo "saved $output ($(identify -format '%wx%h' "$output"))"

# "Chiudi" from the keyboard: Alt opens the menu bar on "Nuovo", Right moves to "Chiudi".
xdotool key alt
sleep 0.2
xdotool key Right Return
status=0
poll 10 gone $pid || { echo "screenshot: Chiudi did not end the program" >&2; exit 1; }
wait $pid || status=$?
[ "$status" -eq 0 ] || { echo "screenshot: the program exited with $status" >&2; exit 1; }
echo "program ended with status 0"
