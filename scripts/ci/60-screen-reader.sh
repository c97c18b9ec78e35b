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
# the program. Then the utterances Orca must speak after the keys, ';'-separated, in order, each
# a whole utterance as Orca's debug log gives it, less a final full stop (Orca 51 adds none).
# Other utterances may come between (Orca's key echo, selection news), but none of the window's
# announcements (ANNOUNCED below) unless the step lists it: an announcement is news of that
# step, never late or left over from an earlier one. A field "NN: ..." replaces the utterances
# for Orca NN (Orca 43 tells announcements as a notification, Orca 48 takes Qt's English role
# name for a push button, Orca 51 no longer says "cornice" for a window).
not_binary="Impossibile soddisfare la richiesta: il numero immesso non è binario"
emptied="Input e Risultato vuoti, cursore in Input"
steps=(
    "start                  | Lettore schermo attivo"
    "launch                 | Conversione cornice;Input testo | 51: Conversione;Input testo"
    "Tab                    | Risultato sola lettura testo"
    "Tab                    | Converti pulsante | 48: Converti button"
    "Tab                    | Tipo conversione pannello;Tipo conversione;Binario selezionato pulsante radio
                            | 43: Tipo conversione pannello;Tipo conversione;Binario;selezionato pulsante radio"
    "Tab                    | Input testo"
    "type:1000 Return       | Risultato 1 1 1 1 1 0 1 0 0 0 | 43: notifica;Risultato 1 1 1 1 1 0 1 0 0 0"
    "Tab                    | Risultato sola lettura testo;1111101000 selezionato"
    "shift+Tab              | Input testo;1000 selezionato"
    "Tab Tab Tab            | Tipo conversione pannello;Tipo conversione;Binario selezionato pulsante radio
                            | 43: Tipo conversione pannello;Tipo conversione;Binario;selezionato pulsante radio"
    "Down                   | Input testo;1000;Decimale | 43: Input testo;1000;notifica;Decimale"
    "ctrl+a type:101 Return | Risultato 5 | 43: notifica;Risultato 5"
    "ctrl+a type:12 Return  | allerta Conversione;$not_binary;OK pulsante
                            | 48: allerta Conversione;$not_binary;OK button"
    "Return                 | Conversione cornice;Input testo | 51: Conversione;Input testo"
    "Tab Tab Tab            | Tipo conversione pannello;Tipo conversione;Decimale selezionato pulsante radio
                            | 43: Tipo conversione pannello;Tipo conversione;Decimale;selezionato pulsante radio"
    "Up                     | Input testo;Binario | 43: Input testo;notifica;Binario"
    "type:abc Return        | allerta Conversione;Errore di run-time '13':;OK pulsante
                            | 48: allerta Conversione;Errore di run-time '13':;OK button"
    "Return                 | Conversione cornice;Input testo;abc | 51: Conversione;Input testo;abc"
    "alt                    | Nuovo"
    "Return                 | $emptied | 43: notifica;$emptied"
    "F10                    | Nuovo"
    "Right                  | Chiudi"
    "Escape                 | Input testo"
)
# Utterances that only the window's announcements make (a run-time error's text goes on on a
# line of its own, which is not compared).
ANNOUNCED='^(notifica|Risultato [0-9 ]+|Binario|Decimale|Input e Risultato vuoti, cursore in Input)$'

dir=$(mktemp -d /tmp/screen-reader.XXXXXX)
log=$dir/logs/orca.debug
started=() # process ids, each ended at exit together with its descendants

descendants() {
    local child
    echo "$1"
    for child in $(pgrep -P "$1" || true); do descendants "$child"; done
}

cleanup() {
    local status=$? pid victims=()
    for pid in "${started[@]}"; do
        # shellcheck disable=SC2207
        victims+=($(descendants "$pid"))
    done
    # Orca does not end on SIGTERM; none of these holds anything worth a clean exit.
    [ ${#victims[@]} -eq 0 ] || kill -KILL "${victims[@]}" 2>/dev/null || true
    wait 2>/dev/null || true # reaps this script's own children
    if [ "$status" -ne 0 ] && [ -f "$log" ]; then
        echo "--- what Orca spoke:" >&2
        grep -a 'SPEECH OUTPUT' "$log" | sed 's/^.*SPEECH OUTPUT: //' >&2 || true
        cp "$log" "${TMPDIR:-/tmp}/screen-reader-orca.debug" && \
            echo "--- Orca's debug log kept as ${TMPDIR:-/tmp}/screen-reader-orca.debug" >&2
    fi
    if [ -n "${KEEP:-}" ]; then echo "kept $dir" >&2; else rm -rf "$dir"; fi
    exit "$status"
}
trap cleanup EXIT

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

# Polls until COMMAND succeeds, at most SECONDS.
poll() {
    local seconds=$1 deadline
    shift
    deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" >"$dir/logs/xvfb.log" 2>&1 &
started+=($!)
poll 20 test -s "$dir/display" || { echo "screen-reader: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(cat "$dir/display")
export DISPLAY

dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$dir/bus.address" 3>"$dir/bus.pid"
started+=("$(cat "$dir/bus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus.address")
export DBUS_SESSION_BUS_ADDRESS

openbox >"$dir/logs/openbox.log" 2>&1 &
started+=($!)
# The desktop's switch: the accessibility bus then tells toolkits that a screen reader runs.
gsettings set org.gnome.desktop.interface toolkit-accessibility true
# Newer at-spi2-core no longer derives the switch from that setting alone: set it on the
# accessibility bus itself, as Orca does.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null

# In the foreground, so that it and its output module stay this script's descendants.
speech-dispatcher -s -t 0 >"$dir/logs/spd.out" 2>&1 &
started+=($!)
poll 10 test -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" \
    || { echo "screen-reader: speech-dispatcher did not start" >&2; exit 1; }

LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8 /usr/bin/python3 "$templates/orca-for-ci.py" "$log" >"$dir/logs/orca.out" 2>&1 &
started+=($!)

# What Orca spoke, an utterance a line: the debug log's text less its voice and final full stop.
utterances() {
    [ -f "$log" ] || return 0
    grep -a 'SPEECH OUTPUT' "$log" 2>/dev/null \
        | sed -e "s/^.*SPEECH OUTPUT: '//" -e "s/' *{.*\$//" -e 's/[[:space:]]*$//' -e 's/\.$//'
}
spoken_count() { utterances | wc -l; }
# The utterances after the first $1.
spoken_since() { utterances | tail -n +"$(($1 + 1))"; }

# True when the utterances after the first $1 hold the wanted ones (array "wanted"), whole and
# in order.
spoken_in_order() {
    local line i=0
    while IFS= read -r line; do
        [ "$line" = "${wanted[$i]}" ] || continue
        i=$((i + 1))
        [ "$i" -lt "${#wanted[@]}" ] || return 0
    done < <(spoken_since "$1")
    return 1
}

# Prints the announcements after the first $1 that the step did not want.
unwanted_announcements() {
    local line
    spoken_since "$1" | grep -E "$ANNOUNCED" | while IFS= read -r line; do
        printf '%s\n' "${wanted[@]}" | grep -qxF -- "$line" || echo "$line"
    done || true # grep finds none
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
        # No --clearmodifiers: nothing here holds a modifier between keys.
        *) xdotool key "$key" ;;
        esac
    done
}

trim() {
    local text=${1#"${1%%[! ]*}"}
    echo "${text%"${text##*[! ]}"}"
}

# The utterances a step wants from this Orca: its own field if it has one, else the common one.
orca_major=$(dpkg-query -W -f='${Version}' orca)
orca_major=${orca_major%%.*}
utterances_for() {
    local field chosen
    IFS='|' read -r -a fields <<<"$1"
    chosen=${fields[1]}
    for field in "${fields[@]:2}"; do
        field=$(trim "$field")
        [[ "$field" == "$orca_major:"* ]] && chosen=${field#"$orca_major:"}
    done
    trim "$chosen"
}

start=$SECONDS
failed=0
for step in "${steps[@]}"; do
    step=${step//$'\n'/ }
    keys=$(trim "${step%%|*}")
    IFS=';' read -r -a wanted <<<"$(utterances_for "$step")"
    before=$(spoken_count)
    # shellcheck disable=SC2086
    press $keys
    # Orca itself may take long to start on a busy machine.
    if ! poll "$([ "$keys" = start ] && echo 60 || echo 15)" spoken_in_order "$before"; then
        echo "FAIL: after '$keys' Orca did not say, in order: $(IFS=';'; echo "${wanted[*]}")" >&2
        failed=1
        break
    fi
    sleep 0.3 # an announcement that comes late comes now, or with the next step
    stray=$(unwanted_announcements "$before")
    if [ -n "$stray" ]; then
        echo "FAIL: after '$keys' Orca also said: $stray" >&2
        failed=1
        break
    fi
    echo "ok: $keys -> $(IFS=';'; echo "${wanted[*]}")"
done
[ "$failed" -eq 0 ] || exit 1
# The same speech went on to speech-dispatcher and its text module.
poll 10 test -s "$dir/logs/spoken.txt" || { echo "FAIL: speech-dispatcher spoke nothing" >&2; exit 1; }
echo "screen reader: ${#steps[@]} steps spoken as expected in $((SECONDS - start)) s"
