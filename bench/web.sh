#!/usr/bin/env bash
# The web site's size and speed, run by hand (not in CI): the bytes of each file as served (raw,
# gzip, brotli) and, in each browser engine (Chromium, Firefox, WebKit, or those named as
# arguments) on the site served here, the time from navigation to the window's first frame and
# from the Enter key to the frame with the result, over ROUNDS page loads (default 10), side by
# side. Exit status 1 when a figure misses its goal (4.5 MB brotli, 2 s, 50 ms).
# Needs the site: bash scripts/web.sh first. On another release than Debian 13 it runs inside
# the Debian 13 root, where the site was built.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=/dev/null # the running system's release, not a file of the tree
if [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" != trixie ]; then
    exec bash scripts/release-root.sh trixie bash bench/web.sh "$@"
fi
bash scripts/install-deps.sh web display # xvfb-run needs xauth
site=build/web/site
[ -f "$site/index.html" ] || { echo "bench/web: no site in $site; run bash scripts/web.sh" >&2; exit 1; }
# Firefox and WebKit run in windows, on a display of their own, with a session bus for their
# accessibility trees, as in the checks; Firefox through the checks' puppeteer-core.
export CONVERSIONE_BUILD=build/web
/usr/bin/python3 -B tests/system/web/node.py build/web/web-node
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
    /usr/bin/python3 bench/web/measure.py "$site" "${ROUNDS:-10}" "$@"
