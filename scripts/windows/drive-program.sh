#!/usr/bin/env bash
# The Windows program under Wine, driven from outside as a user drives it: keys and clicks with
# xdotool, and what the boxes and message boxes hold read back through the clipboard, which Wine
# shares with X (Ctrl+A Ctrl+C in a text box; Ctrl+C in a message box copies its title, text and
# buttons). The steps are a table; the first that fails ends the script, named.
# Runs inside the Debian 13 root. Usage: scripts/windows/drive-program.sh EXE
set -euo pipefail
exe=${1:?usage: scripts/windows/drive-program.sh EXE}
[ -f "$exe" ] || { echo "drive-program: no program at $exe" >&2; exit 1; }
exe=$(realpath "$exe")
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
# shellcheck source-path=SCRIPTDIR/../..
source scripts/lib/display.sh
source scripts/windows/wine.sh

title=Conversione
# The program's own texts, as conversion/modulo1.cpp and runtime/runtimeerror.cpp give them.
declare -A message=(
    [refusal]="Impossibile soddisfare la richiesta: il numero immesso non è binario"
    [error13]="Errore di run-time '13':
Tipo non corrispondente"
)

# What the user does, and what must follow. Keys are xdotool key names; "type:TEXT" types TEXT,
# "alt" is a tap of Alt alone, "launch" starts the program, "menu:N" clicks the Nth item of the
# menu bar. Checks:
#   window        the program's window is shown and active
#   reads TEXT    Ctrl+A Ctrl+C copies TEXT: the focus is in a text box holding it
#   reads nothing Ctrl+A Ctrl+C copies nothing: the focus is in no text box, or in an empty one
#   box NAME      a message box titled "Conversione" opens over the window with message NAME
#   closed        the message box is gone, and the program goes on with its window
#   ends STATUS   the program ends with exit status STATUS
# The first Tab steps walk the tab order from Input; later steps place its stops: Space two Tabs
# after Input presses Converti, Down one Tab before Input switches the option.
steps=(
    "the window opens                 | launch                     | window"
    "1000 converted to binary         | type:1000 Return Tab       | reads 1111101000"
    "Tab: Risultato to Converti       | Tab                        | reads nothing"
    "Tab: Converti to the option group| Tab                        | reads nothing"
    "Tab: the option group to Input   | Tab                        | reads 1000"
    "Down in the group: Decimale      | shift+Tab Down             | reads 1000"
    "12 in Decimale: Converti refuses | ctrl+a type:12 Tab Tab space | box refusal"
    "Return closes the refusal        | Return                     | closed"
    "101 after the refusal: 5         | Tab Tab type:101 Return Tab | reads 5"
    "F10 Nuovo: Input emptied         | F10 Return type:1          | reads 1"
    "F10 Nuovo: Risultato emptied     | Tab                        | reads nothing"
    "Up in the group: Binario         | shift+Tab shift+Tab Up     | reads 1"
    "abc to binary: run-time error 13 | ctrl+a type:abc Return     | box error13"
    "Return closes the error box      | Return                     | closed"
    "the program goes on, input kept  |                            | reads abc"
    "Alt Chiudi ends the program      | alt Right Return           | ends 0"
    "a second run                     | launch                     | window"
    "a click on Chiudi ends it        | menu:2                     | ends 0"
)

# shellcheck disable=SC2119 # the default screen
wine_session
log=$(mktemp)
_remove_at_exit+=("$log")
program= # the process of `wine EXE`
main=    # its window's X id
step=
copied=

# What the screen and the program showed, kept for a look: Xvfb goes at exit.
fail() {
    local shot=${TMPDIR:-/tmp}/drive-program-failure.png
    echo "drive-program: FAIL at step '$step': $*" >&2
    import -window root "$shot" 2>/dev/null && echo "the screen kept as $shot" >&2
    if [ -s "$log" ]; then
        echo "--- the program's output:" >&2
        tail -n 20 "$log" >&2
    fi
    exit 1
}

# The keycode of the key named $1 (as FK10) in the display's keymap. xdotool presses a key symbol
# with the modifiers of the first keymap entry that reaches it, and newer xkb-data lists Alt
# among the ways to F1..F12; a keycode goes with no modifier.
keycode() {
    xkbcomp -xkb "$DISPLAY" - 2>/dev/null | sed -n "s/^ *<$1> *= *\([0-9]*\);.*/\1/p" | head -n 1
}

# Visible windows titled "Conversione" other than the program's own: its message boxes.
boxes() {
    xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -vx "$main" || true
}

sentinel="(nothing copied)"
clipboard() { xclip -o -selection clipboard 2>/dev/null | tr -d '\r' || true; }
set_clipboard() {
    # xclip stays behind to serve it, until someone copies: away from any pipe of ours.
    printf '%s' "$sentinel" | xclip -i -selection clipboard >/dev/null 2>&1
    poll 2 clipboard_is "$sentinel" || fail "the clipboard cannot be set"
}
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
clipboard_changed() { ! clipboard_is "$sentinel"; }

# Sends KEYS... and sets `copied` to what they copied, or to nothing once SECONDS pass without
# a copy.
copy_with() {
    local seconds=$1
    shift
    set_clipboard
    xdotool key "$@"
    copied=
    if poll "$seconds" clipboard_changed; then copied=$(clipboard); fi
}

# What Ctrl+C in a message box copies (Qt's box as Windows' own does): rules, title, text, the
# buttons each followed by three blanks.
box_copy() {
    local rule=---------------------------
    printf '%s\n%s\n%s\n%s\n%s\n%s\n%s' "$rule" "$title" "$rule" "$1" "$rule" "OK   " "$rule"
}

press() {
    local key x y
    for key in "$@"; do
        case $key in
        launch)
            wine "$exe" >"$log" 2>&1 &
            program=$!
            started "$program"
            ;;
        alt)
            xdotool keydown Alt_L
            sleep 0.05 # a human-length tap
            xdotool keyup Alt_L
            ;;
        type:*) xdotool type --delay 30 "${key#type:}" ;;
        menu:*)
            x='' y=''
            read -r x y < <(menu_item "${key#menu:}") || true
            [ -n "$y" ] || fail "no item ${key#menu:} in the menu bar"
            xdotool mousemove --window "$main" "$x" "$y" click 1
            ;;
        F[1-9] | F1[0-2]) xdotool key "$(keycode "$(printf 'FK%02d' "${key#F}")")" ;;
        *) xdotool key "$key" ;;
        esac
    done
}

# The middle of the Nth item of the menu bar, from the window's top-left corner, as "X Y". The
# items are the words of the window's top strip: runs of columns with dark pixels, apart by more
# than a letter's gap (a row dark all across is a rule, no word). Nothing if there is no Nth.
menu_item() {
    import -window "$main" -crop 400x24+0+0 +repage png:- \
        | convert png:- -colorspace gray -threshold 50% txt:- \
        | awk -F'[,:]' -v n="$1" '
            /#000000/ { x[NR] = $1; y[NR] = $2; row[$2]++ }
            END {
                last = -100
                for (i in x) if (row[y[i]] < 200) {
                    dark[x[i]] = 1
                    if (top == "" || y[i] < top) top = y[i]
                    if (y[i] > bottom) bottom = y[i]
                }
                for (c = 0; c <= 400; c++) {
                    if (!dark[c]) continue
                    if (c - last > 5 && ++words == n) first = c
                    last = c
                    if (words == n) end = c
                }
                if (end != "") print int((first + end) / 2), int((top + bottom) / 2)
            }'
}

box_open() { [ -n "$(boxes)" ]; }
no_box() { [ -z "$(boxes)" ]; }
active_is_main() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ]; }

check() {
    local what=$1 arg=${2:-} status windows
    case $what in
    window)
        main=$(wine_window "$title" 60) || fail "no window titled $title"
        poll 5 active_is_main || xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
        poll 5 active_is_main || fail "the window does not get the keyboard focus"
        ;;
    reads)
        if [ "$arg" = nothing ]; then
            # Nothing is copied: only waiting tells.
            copy_with 1 ctrl+a ctrl+c
            [ -z "$copied" ] || fail "the focus is in a text box holding '$copied'"
        else
            # A key may come before a queued change of focus: ask again until the time is up.
            local deadline=$((SECONDS + 5))
            while copy_with 1 ctrl+a ctrl+c; [ "$copied" != "$arg" ]; do
                [ "$SECONDS" -lt "$deadline" ] || fail "read '$copied', expected '$arg'"
            done
        fi
        ;;
    box)
        [ -n "${message[$arg]:-}" ] || fail "no such message: $arg"
        poll 5 box_open || fail "no message box opened"
        local expected deadline=$((SECONDS + 5))
        expected=$(box_copy "${message[$arg]}")
        while copy_with 1 ctrl+c; [ "$copied" != "$expected" ]; do
            [ "$SECONDS" -lt "$deadline" ] || fail "the box copied:
$copied
expected:
$expected"
        done
        ;;
    closed)
        poll 5 no_box || fail "the message box is still open"
        alive "$program" || fail "the program ended"
        windows=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true)
        grep -qx "$main" <<<"$windows" || fail "the program's window is gone"
        ;;
    ends)
        poll 10 gone "$program" || fail "the program still runs"
        status=0
        wait "$program" || status=$?
        [ "$status" = "$arg" ] || fail "the program ended with status $status, expected $arg"
        ;;
    *) fail "no such check: $what" ;;
    esac
}

trim() {
    local text=${1#"${1%%[! ]*}"}
    echo "${text%"${text##*[! ]}"}"
}

start=$SECONDS
for row in "${steps[@]}"; do
    IFS='|' read -r step keys expect <<<"$row"
    step=$(trim "$step")
    # shellcheck disable=SC2086 # keys are words
    press $keys
    # shellcheck disable=SC2086
    check $expect
    echo "ok: $step"
done
echo "drive-program: ${#steps[@]} steps passed in $((SECONDS - start)) s"
