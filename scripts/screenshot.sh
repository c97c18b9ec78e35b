#!/usr/bin/env bash
# Starts the program on a virtual display, waits until its window "Conversione" is mapped,
# converts "1000", saves a screenshot of the window, then ends the program with "Chiudi" and
# checks that it exits with status 0.
# Usage: scripts/screenshot.sh PROGRAM OUTPUT.png   (a window manager, if installed, adds a frame)
set -euo pipefail
program=$(realpath "$1")
output=$2
bash "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" display

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 480x280x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "${XDG_RUNTIME_DIR:-/nonexistent}"' EXIT
export DISPLAY=$display
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    sleep 0.5
fi

"$program" &
pid=$!
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
timeout 10 tail --pid=$pid -f /dev/null || { echo "screenshot: Chiudi did not end the program" >&2; kill $pid; exit 1; }
wait $pid || status=$?
[ "$status" -eq 0 ] || { echo "screenshot: the program exited with $status" >&2; exit 1; }
echo "program ended with status 0"
