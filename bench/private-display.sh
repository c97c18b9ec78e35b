# shellcheck shell=bash
# Sourced by the benchmarks that time a real window: starts a private Xvfb display with no window
# manager and nothing else drawing, exports DISPLAY and XDG_RUNTIME_DIR for it, ends it at exit,
# and prints the machine the figures come from.
# Usage: source bench/private-display.sh
# shellcheck source=../scripts/lib/display.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/display.sh"
private_runtime_dir
start_display -screen 0 1024x768x24
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "kernel $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
