# shellcheck shell=bash
# Sourced by every script that starts processes of its own, an X server above all:
#   started PID...         registers processes; at exit each one still running is ended together
#                          with all its descendants (SIGTERM, then SIGKILL after 2 s), whatever
#                          ends the script: success, a failed command under `set -e`, or a signal.
#                          A process that runs until exit may instead be appended to an array of
#                          that name, `started+=($!)`.
#   on_exit FUNCTION       calls FUNCTION with the script's exit status after those are ended
#                          (the script must not set an EXIT trap of its own).
#   poll SECONDS CMD...    runs CMD until it succeeds; status 1 if SECONDS pass first.
#   alive PID / gone PID...  whether a process runs / none of them does (a zombie counts as gone).
#   descendants PID...     prints the process ids of their children, grandchildren and so on.
#   start_display ARGS...  starts Xvfb with ARGS (e.g. -screen 0 800x600x24) on a display it picks
#                          itself (-displayfd, never a guessed number), registered, and exports
#                          DISPLAY; XVFB_PID holds its process id.
#   private_runtime_dir    exports XDG_RUNTIME_DIR as a new private folder, removed at exit.
# Call these in the script's own shell, not inside $(...): a registration made in a subshell is
# lost with it.

_started=() # "pid:start time", so that a number the system has reused since is never ended
_exit_hooks=()
_remove_at_exit=()

# The start time of process $1 (clock ticks after boot), or nothing when it is gone.
_start_time() {
    local stat fields IFS=$' \t\n'
    { read -r stat </proc/"$1"/stat; } 2>/dev/null || return 0
    read -r -a fields <<<"${stat##*) }" # after the name, which may hold spaces
    echo "${fields[19]}"
}

alive() {
    local stat IFS=$' \t\n'
    { read -r stat </proc/"$1"/stat; } 2>/dev/null || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

gone() {
    local pid
    for pid in "$@"; do
        ! alive "$pid" || return 1
    done
}

poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

started() {
    local pid time
    for pid in "$@"; do
        time=$(_start_time "$pid")
        [ -z "$time" ] || _started+=("$pid:$time")
    done
}

on_exit() {
    _exit_hooks+=("$1")
}

# One look at /proc; the processes given are not printed themselves.
descendants() {
    local file stat pid child fields queue=("$@") IFS=$' \t\n'
    local -A children=()
    for file in /proc/[0-9]*/stat; do
        { read -r stat <"$file"; } 2>/dev/null || continue
        read -r -a fields <<<"${stat##*) }"
        children[${fields[1]}]+=" ${stat%% *}"
    done
    while [ ${#queue[@]} -gt 0 ]; do
        pid=${queue[0]}
        queue=("${queue[@]:1}")
        for child in ${children[$pid]:-}; do
            echo "$child"
            queue+=("$child")
        done
    done
}

# Ends every registered process that still runs, and its descendants.
end_started() {
    local entry pid roots=() victims
    for entry in "${_started[@]}"; do
        pid=${entry%%:*}
        [ "$(_start_time "$pid")" = "${entry#*:}" ] && roots+=("$pid")
    done
    _started=()
    if [ "$(declare -p started 2>/dev/null | cut -c1-10)" = "declare -a" ]; then
        for pid in "${started[@]}"; do
            ! alive "$pid" || roots+=("$pid")
        done
        started=()
    fi
    [ ${#roots[@]} -gt 0 ] || return 0
    # All of them found before any is ended: an orphan's parent becomes init.
    mapfile -t victims < <(descendants "${roots[@]}")
    victims+=("${roots[@]}")
    # Quietly: the shell would report each of its own children that a signal ended.
    {
        kill -TERM "${victims[@]}" || true
        poll 2 gone "${victims[@]}" || kill -KILL "${victims[@]}" || true
        for pid in "${roots[@]}"; do
            wait "$pid" || true # reaps this shell's own children
        done
    } 2>/dev/null
}

_at_exit() {
    local status=$? hook
    trap - EXIT
    # A signal's trap may run inside any command of the script, `IFS=... read` included; and
    # nothing here may stop half way.
    local IFS=$' \t\n'
    set +eu
    end_started
    for hook in "${_exit_hooks[@]}"; do
        "$hook" "$status" || true
    done
    [ ${#_remove_at_exit[@]} -eq 0 ] || rm -rf "${_remove_at_exit[@]}"
    exit "$status"
}
trap _at_exit EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

start_display() {
    local number fd log
    log=$(mktemp)
    exec {fd}< <(exec Xvfb -displayfd 3 -nolisten tcp "$@" 3>&1 >/dev/null 2>"$log")
    XVFB_PID=$!
    started "$XVFB_PID"
    # -displayfd writes the number once the server listens; end of file means it failed.
    read -r -t 20 number <&"$fd" || true
    exec {fd}<&-
    if [ -z "$number" ]; then
        echo "Xvfb did not start:" >&2
        cat "$log" >&2
    fi
    rm -f "$log" # the server keeps writing to it, unseen
    [ -n "$number" ] || return 1
    export DISPLAY=:$number
}

private_runtime_dir() {
    XDG_RUNTIME_DIR=$(mktemp -d)
    _remove_at_exit+=("$XDG_RUNTIME_DIR")
    export XDG_RUNTIME_DIR
}
