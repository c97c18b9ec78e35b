#!/usr/bin/env bash
# The program as a web site, from this machine: on Debian 13 `scripts/test.sh web` (Qt for
# WebAssembly from Debian's source unless cached, the build, its checks in Node and the browsers);
# elsewhere the same inside a Debian 13 root, whose Qt 6.8 and emscripten the build needs, and the
# site copied out. The site, in build/web/site/: index.html with its script and style, the program
# (conversione.js, conversione.wasm), Qt's qtloader.js and the icon, each with .br and .gz copies.
#   bash scripts/web.sh           build and check
#   bash scripts/web.sh --serve   serve build/web/site on 127.0.0.1 and print its address
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
site=build/web/site
if [ "${1:-}" = --serve ]; then
    [ -f "$site/index.html" ] || { echo "web: no site in $site; run bash scripts/web.sh first" >&2; exit 1; }
    exec /usr/bin/python3 packaging/web/serve.py "$site" "${2:-0}"
fi

if grep -qx 'VERSION_CODENAME=trixie' /etc/os-release; then
    bash scripts/test.sh web
else
    bash scripts/release-root.sh trixie bash scripts/web.sh
    from=${CONVERSIONE_ROOTS:-/var/cache/conversione/roots}/trixie/work/src/build/web
    rm -rf "$site"
    mkdir -p "$site" build/web/screenshots
    cp -p "$from/site"/* "$site/"
    cp -p "$from/screenshots"/*.png build/web/screenshots/
fi
echo "web: the site in $site; bash scripts/web.sh --serve serves it"
