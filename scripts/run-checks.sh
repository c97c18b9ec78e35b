#!/usr/bin/env bash
# The README's test command, then the checks in scripts/ci/ in their order: all of them, or
# those whose number is named. .ci/run runs this on this machine and inside a root of each
# other Debian release it supports (scripts/release-root.sh).
# Usage: scripts/run-checks.sh [NUMBER...]   (e.g. 20 25 30 for the stages 20-*, 25-*, 30-*)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
start=$SECONDS
bash scripts/test.sh
for stage in scripts/ci/*.sh; do
    [ -e "$stage" ] || continue
    number=$(basename "$stage")
    number=${number%%-*}
    if [ $# -gt 0 ] && [[ " $* " != *" $number "* ]]; then
        continue
    fi
    echo "== $stage =="
    bash "$stage"
done
echo "checks finished in $((SECONDS - start)) s"
