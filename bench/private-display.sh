# Sourced by the benchmarks that time a real window: starts a private Xvfb display with no window
# manager and nothing else drawing, exports DISPLAY and XDG_RUNTIME_DIR for it, ends it at exit,
# and prints the machine the figures come from.
# Usage: source bench/private-display.sh FOLDER   (FOLDER keeps the display's number)
mkdir -p "$1"
exec 3>"$1/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
runtime=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 50); do [ -s "$1/display" ] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=:$(head -n 1 "$1/display")
export XDG_RUNTIME_DIR=$runtime
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "kernel $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
