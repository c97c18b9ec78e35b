#!/usr/bin/env bash
# CI: the built program under the Orca screen reader, as a blind user drives it. A private X
# display, session bus, window manager and speech-dispatcher (writing speech to a text file);
# accessibility switched on as a desktop does; Orca with its debug log; the program driven with
# xdotool. Each step sends keys and waits until Orca has spoken the expected utterances (the
# "SPEECH OUTPUT" lines of its debug log), in order. Every process started here is ended at exit.
# On failure Orca's debug log is kept; KEEP=1 keeps the whole private folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
program=$(realpath build/release/conversione)
templates=$(realpath scripts/ci/screen-reader)
bash scripts/install-deps.sh screenreader
# Orca speaks its own words (roles, states) in the user's language.
locale -a | grep -qix 'it_IT.utf8' || localedef -i it_IT -f UTF-8 it_IT.UTF-8

# What the user does, and what Orca must say. Keys are xdotool key names, "type:TEXT" types
# TEXT, "alt" is a human-length tap of Alt alone; "start" only waits for Orca, "launch" starts
# the program. Expected utterances are ';'-separated substrings, matched in order against what
# Orca speaks after the keys; "!TEXT" after them must not be spoken as a whole word (a box's
# value less its last character).
steps=(
    "start                  | Lettore schermo attivo"
    "launch                 | Conversione;Input"
    "Tab                    | Risultato"
    "Tab                    | Converti"
    "Tab                    | Binario"
    "Tab                    | Input"
    "type:1000 Return       | Risultato 1 1 1 1 1 0 1 0 0 0"
    "Tab                    | Risultato;1111101000 | !111110100"
    "shift+Tab              | Input;1000 | !100"
    "Tab Tab Tab            | Binario"
    "Down                   | Input;Decimale"
    "ctrl+a type:101 Return | Risultato 5"
    "ctrl+a type:12 Return  | non è binario;OK"
    "Return                 | Input"
    "Tab Tab Tab            | Decimale"
    "Up                     | Input;Binario"
    "type:abc Return        | Errore di run-time '13';OK"
    "Return                 | Input;abc | !ab"
    "alt                    | Nuovo"
    "Return                 | Input e Risultato vuoti, cursore in Input"
    "F10                    | Nuovo"
    "Right                  | Chiudi"
    "Escape                 | Input"
)

dir=$(mktemp -d /tmp/screen-reader.XXXXXX)
log=$dir/logs/orca.debug
source scripts/lib/display.sh # every process registered with `started` is ended at exit

cleanup() {
    local status=$1
    if [ "$status" -ne 0 ] && [ -f "$log" ]; then
        echo "--- what Orca spoke:" >&2
        grep -a 'SPEECH OUTPUT' "$log" | sed 's/^.*SPEECH OUTPUT: //' >&2 || true
        cp "$log" "${TMPDIR:-/tmp}/screen-reader-orca.debug" && \
            echo "--- Orca's debug log kept as ${TMPDIR:-/tmp}/screen-reader-orca.debug" >&2
    fi
    if [ -n "${KEEP:-}" ]; then echo "kept $dir" >&2; else rm -rf "$dir"; fi
}
on_exit cleanup

mkdir -p "$dir/home/.config/speech-dispatcher/modules" "$dir/run" "$dir/logs"
chmod 700 "$dir/run"
sed "s|@DIR@|$dir|g" "$templates/speechd.conf" >"$dir/home/.config/speech-dispatcher/speechd.conf"
sed "s|@DIR@|$dir|g" "$templates/textlog.conf" \
    >"$dir/home/.config/speech-dispatcher/modules/textlog.conf"
cp "$templates/asoundrc" "$dir/home/.asoundrc"
export HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
    XDG_DATA_HOME=$dir/home/.local/share XDG_CACHE_HOME=$dir/home/.cache QT_QPA_PLATFORM=xcb \
    NO_AT_BRIDGE=0
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON QT_ACCESSIBILITY SESSION_MANAGER || true

start_display -screen 0 1024x768x24 || { echo "screen-reader: Xvfb did not start" >&2; exit 1; }

dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$dir/bus.address" 3>"$dir/bus.pid"
started+=("$(cat "$dir/bus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus.address")
export DBUS_SESSION_BUS_ADDRESS

openbox >"$dir/logs/openbox.log" 2>&1 &
started+=($!)
# The desktop's switch: the accessibility bus then tells toolkits that a screen reader runs.
gsettings set org.gnome.desktop.interface toolkit-accessibility true

# In the foreground, so that it and its output module stay this script's descendants.
speech-dispatcher -s -t 0 >"$dir/logs/spd.out" 2>&1 &
started+=($!)
poll 10 test -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" \
    || { echo "screen-reader: speech-dispatcher did not start" >&2; exit 1; }

LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8 /usr/bin/python3 "$templates/orca-for-ci.py" "$log" >"$dir/logs/orca.out" 2>&1 &
started+=($!)

spoken_count() { grep -ac 'SPEECH OUTPUT' "$log" 2>/dev/null || echo 0; }

# The utterances after the first $1, one a line.
spoken_since() {
    grep -a 'SPEECH OUTPUT' "$log" 2>/dev/null | tail -n +"$(($1 + 1))" | sed 's/^.*SPEECH OUTPUT: //'
}

# True when the utterances after line $1 hold the expected substrings ($2, ';'-separated) in
# order.
spoken_in_order() {
    local from=$1 expected=$2 line rest
    IFS=';' read -r -a wanted <<<"$expected"
    local i=0
    while IFS= read -r line; do
        rest=${wanted[$i]}
        if [[ "$line" == *"$rest"* ]]; then
            i=$((i + 1))
            [ "$i" -lt "${#wanted[@]}" ] || return 0
        fi
    done < <(spoken_since "$from")
    return 1
}

press() {
    local key
    for key in "$@"; do
        case $key in
        start) ;;
        launch)
            "$program" >"$dir/logs/program.log" 2>&1 &
            started+=($!)
            ;;
        alt)
            xdotool keydown Alt_L
            sleep 0.05 # a human-length tap: a zero-length one opens the menu bar and shuts it
            xdotool keyup Alt_L
            ;;
        type:*) xdotool type --delay 20 "${key#type:}" ;;
        *) xdotool key --clearmodifiers "$key" ;;
        esac
    done
}

trim() {
    local text=${1#"${1%%[! ]*}"}
    echo "${text%"${text##*[! ]}"}"
}

start=$SECONDS
failed=0
for step in "${steps[@]}"; do
    IFS='|' read -r keys expected forbidden <<<"$step"
    keys=$(trim "$keys")
    expected=$(trim "$expected")
    forbidden=$(trim "${forbidden:-}")
    forbidden=${forbidden#!}
    before=$(spoken_count)
    # shellcheck disable=SC2086
    press $keys
    if ! poll 15 spoken_in_order "$before" "$expected"; then
        echo "FAIL: after '$keys' Orca did not say: $expected" >&2
        failed=1
        break
    fi
    if [ -n "$forbidden" ] && spoken_since "$before" | grep -qwF "$forbidden"; then
        echo "FAIL: after '$keys' Orca said '$forbidden'" >&2
        failed=1
        break
    fi
    echo "ok: $keys -> $expected"
done
[ "$failed" -eq 0 ] || exit 1
# The same speech went on to speech-dispatcher and its text module.
poll 10 test -s "$dir/logs/spoken.txt" || { echo "FAIL: speech-dispatcher spoke nothing" >&2; exit 1; }
echo "screen reader: ${#steps[@]} steps spoken as expected in $((SECONDS - start)) s"
