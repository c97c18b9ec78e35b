#!/usr/bin/env bash
# The built program on each kind of display, and without one. Each row of the table below starts
# build/release/conversione with only the named variables set: with a display it must show its
# window (titled "Conversione", 339x177; on Wayland natively, with the app id
# org.example.conversione) and end cleanly on SIGTERM; without one it must end at once with
# status 1 and the one message that says what to do, with no abort and no trace of Qt's own.
# The displays are private: Xvfb, and weston's headless back end (no input devices, so the window
# is checked through the requests it sends to the compositor, WAYLAND_DEBUG). With no input, the
# clean end is SIGTERM's, as a session sends it at logout: status 143, nothing printed, no
# Wayland protocol error, and weston itself ends with status 0.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
bash scripts/install-deps.sh display platforms
program=$PWD/build/release/conversione
[ -x "$program" ] || { echo "25-platforms: $program is missing (run scripts/test.sh first)" >&2; exit 1; }

source scripts/lib/display.sh
tmp=$(mktemp -d)
chmod 700 "$tmp"
remove_tmp() { rm -rf "$tmp"; }
on_exit remove_tmp
fail() {
    echo "25-platforms: $*" >&2
    exit 1
}

echo "-- displays: Xvfb, a display whose server is gone, weston (headless)"
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_display -screen 0 640x480x24 || fail "Xvfb did not start"
x11=$DISPLAY
# A display whose server is gone leaves nothing behind: neither socket nor lock. Such a number,
# far above those Xvfb -displayfd hands out, so that no X server on this machine takes it
# meanwhile.
for _ in $(seq 20); do
    gone=:$((600 + RANDOM % 300))
    [ -e "/tmp/.X11-unix/X${gone#:}" ] || [ -e "/tmp/.X${gone#:}-lock" ] || break
done
# Its desktop shell (so Qt draws its own window decorations, as on most Wayland desktops), without
# the on-screen keyboard weston would start for text input.
printf '[input-method]\npath=\n' >"$tmp/weston.ini"
weston --backend=headless-backend.so --config="$tmp/weston.ini" --socket=conversione-ci \
    --idle-time=0 --log="$tmp/weston.log" >/dev/null 2>&1 &
weston_pid=$!
started "$weston_pid"
poll 5 test -S "$XDG_RUNTIME_DIR/conversione-ci" || fail "weston did not start:"$'\n'"$(cat "$tmp/weston.log")"
echo "X11 $x11, gone $gone, Wayland conversione-ci"

# Qt without its Wayland plugin, as where qt6-wayland is not installed: a copy of the program
# whose qt.conf points at a plugin folder holding the X11 plugin alone.
plugins=$(dirname "$(dpkg -L libqt6gui6 | grep '/platforms/libqxcb\.so$')")
mkdir -p "$tmp/nowayland/plugins/platforms"
ln -s "$plugins/libqxcb.so" "$tmp/nowayland/plugins/platforms/"
printf '[Paths]\nPlugins=%s\n' "$tmp/nowayland/plugins" >"$tmp/nowayland/qt.conf"
cp "$program" "$tmp/nowayland/conversione"

# The window is up: on X11 mapped with its title and size; on Wayland a configured toplevel
# with title, app id and size (a fixed window asks for the same minimum and maximum). The
# protocol log names objects interface@id, and interface#id with newer libwayland (Debian 13),
# whose lines, dropped from what the program printed, start with a time of day on unstable.
shown_x11() {
    local window
    window=$(DISPLAY=$x11 xdotool search --onlyvisible --name '^Conversione$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && DISPLAY=$x11 xwininfo -id "$window" | grep -q 'Width: 339' \
        && DISPLAY=$x11 xwininfo -id "$window" | grep -q 'Height: 177'
}
shown_wayland() {
    local log=$1
    grep -q 'xdg_toplevel[@#][0-9]*\.set_title("Conversione")' "$log" \
        && grep -q 'xdg_toplevel[@#][0-9]*\.set_app_id("org.example.conversione")' "$log" \
        && grep -q 'xdg_toplevel[@#][0-9]*\.set_min_size(339, 177)' "$log" \
        && grep -q 'xdg_toplevel[@#][0-9]*\.set_max_size(339, 177)' "$log" \
        && grep -q 'xdg_surface[@#][0-9]*\.ack_configure' "$log"
}

# Polls this while a row's program runs: true once its window shows ($shown) or it has ended.
shown_or_ended() {
    local expected=$1 log=$2
    if { [ "$expected" = x11 ] && shown_x11; } || { [ "$expected" = wayland ] && shown_wayland "$log"; }; then
        shown=true
    fi
    $shown || gone "$app"
}

# Row: name | program | variables (besides PATH, HOME, XDG_RUNTIME_DIR, and no session bus: on X
# libdbus would start one of its own, which outlives the row) | expected: "x11" or
# "wayland" (the window shows there), or "1" with an extended regular expression the one message
# must match.
rows=(
    "neither variable set|$program||1|^conversione: no display found \(DISPLAY and WAYLAND_DISPLAY are unset\)\.$"
    "DISPLAY alone|$program|DISPLAY=$x11|x11|"
    "WAYLAND_DISPLAY alone|$program|WAYLAND_DISPLAY=conversione-ci|wayland|"
    "DISPLAY of a server that is gone|$program|DISPLAY=$gone|1|^conversione: cannot open a window: no display answers \(DISPLAY=$gone\)\.$"
    "WAYLAND_DISPLAY without the Wayland plugin|$tmp/nowayland/conversione|WAYLAND_DISPLAY=conversione-ci|1|^Install the package qt6-wayland"
    "QT_QPA_PLATFORM=wayland with no compositor|$program|QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=nothing-here|1|^conversione: cannot open a window: no display answers \(WAYLAND_DISPLAY=nothing-here\)\.$"
)

failed=0
for row in "${rows[@]}"; do
    IFS='|' read -r name binary variables expected message <<<"$row"
    log=$tmp/row.log
    # shellcheck disable=SC2086 # the variables are words on purpose
    (cd "$tmp" && exec env -i PATH="$PATH" HOME="$tmp" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \
        DBUS_SESSION_BUS_ADDRESS=disabled: ${variables} WAYLAND_DEBUG=client "$binary" </dev/null >"$log" 2>&1) &
    app=$!
    started "$app"
    status=""
    verdict=""
    if [ "$expected" = 1 ]; then
        poll 10 gone "$app" || { kill -KILL "$app"; verdict="still running after 10 s"; }
        wait "$app" 2>/dev/null && status=0 || status=$?
        text=$(grep -v '^\[ *[0-9:]*\.[0-9]*\] ' "$log" || true)
        if [ -z "$verdict" ]; then
            if [ "$status" != 1 ]; then
                verdict="status $status, not 1"
            elif ! grep -Eq "$message" <<<"$text"; then
                verdict="the message does not match /$message/"
            elif [ "$(grep -c '^conversione: ' <<<"$text")" != 1 ] || grep -q 'qt\.\|Qt platform' <<<"$text"; then
                verdict="more than the one message"
            fi
        fi
    else
        shown=false
        poll 10 shown_or_ended "$expected" "$log" || true
        kill -TERM "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null && status=0 || status=$?
        text=$(grep -v '^\[ *[0-9:]*\.[0-9]*\] ' "$log" || true)
        if ! $shown; then
            verdict="no window on $expected within 10 s (status $status)"
        elif [ "$status" != 143 ]; then
            verdict="status $status after SIGTERM, not 143 (ended by the signal)"
        elif [ -n "$text" ]; then
            verdict="it printed something"
        elif grep -q 'wl_display[@#][0-9]*\.error(' "$log"; then
            verdict="a Wayland protocol error"
        fi
    fi
    if [ -z "$verdict" ]; then
        printf 'ok    %-45s status %s\n' "$name" "$status"
    else
        printf 'FAIL  %-45s %s\n' "$name" "$verdict"
        sed 's/^/      | /' <<<"${text:-$(tail -n 5 "$log")}"
        failed=1
    fi
    if [ "$expected" = wayland ] && [ -z "$verdict" ]; then
        echo "      | $(grep -oE 'xdg_toplevel[@#][0-9]+\.set_(title|app_id|min_size|max_size)\([^)]*\)' "$log" \
            | sed 's/^xdg_toplevel[@#][0-9]*\.//' | xargs -d '\n')"
    fi
done

alive "$weston_pid" || fail "weston ended while the program ran"
# Weston ends its desktop shell's panel client as it ends; whatever of it is left once weston is
# gone is ended at exit.
mapfile -t helpers < <(descendants "$weston_pid")
started "${helpers[@]}"
kill "$weston_pid"
wait "$weston_pid" && weston_status=0 || weston_status=$?
[ "$weston_status" = 0 ] || fail "weston ended with status $weston_status"
[ "$failed" = 0 ] || fail "some rows failed"
echo "all rows passed"
