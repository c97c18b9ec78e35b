# shellcheck shell=bash
# Sourced after scripts/lib/display.sh by the scripts that run the Windows program under Wine:
#   wine_session [SCREEN]  starts a private X display (Xvfb, default 1024x768x24) with a window
#                          manager (without one, Wine's windows never get the keyboard focus),
#                          and a Wine prefix of its own, made from scratch and removed at exit;
#                          exports DISPLAY, WINEPREFIX, WINEDEBUG. Every process of the prefix is
#                          ended at exit (wineserver -k).
#   wine_window TITLE [SECONDS]  prints the X id of the first visible window named TITLE once it
#                          is mapped; status 1 if none appears in time (default 30 s).
# Wine's own prefix is 64-bit only: "wine32 is missing" on stderr is noise for a 64-bit program.

_wine_end() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
}

wine_session() {
    local screen=${1:-1024x768x24}
    start_display -screen 0 "$screen"
    openbox >/dev/null 2>&1 &
    started $!
    WINEPREFIX=$(mktemp -d)
    _remove_at_exit+=("$WINEPREFIX")
    export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
    on_exit _wine_end
    # The prefix is made on the display, where wineboot's windows can open.
    wineboot -i >/dev/null 2>&1
    wineserver -w
}

wine_window() {
    local title=$1 seconds=${2:-30} id
    _wine_find() { id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1); [ -n "$id" ]; }
    poll "$seconds" _wine_find || return 1
    echo "$id"
}
