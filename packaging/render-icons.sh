#!/usr/bin/env bash
# Renders the application icon (packaging/icons/conversione.svg) into the PNG sizes kept in
# packaging/icons/png/, so that neither the build nor the program needs an SVG renderer.
# Run it after changing the SVG and commit the PNGs. With --check it only reports whether the
# committed PNGs still match the SVG (exit 1 if not).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bash "$here/../scripts/install-deps.sh" icons

# Multiples of 16 only: the icon is drawn on a 16-unit grid and stays sharp at these sizes.
sizes=(16 32 48 64 128 256)
svg="$here/icons/conversione.svg"
out="$here/icons/png"
check=false
[ "${1:-}" = "--check" ] && check=true

mkdir -p "$out"
stale=0
for size in "${sizes[@]}"; do
    if $check; then
        if ! rsvg-convert -w "$size" -h "$size" "$svg" | cmp -s - "$out/$size.png"; then
            echo "render-icons: $out/$size.png does not match $svg" >&2
            stale=1
        fi
    else
        rsvg-convert -w "$size" -h "$size" "$svg" -o "$out/$size.png"
    fi
done
if [ $stale -ne 0 ]; then
    echo "render-icons: run bash packaging/render-icons.sh and commit the PNGs" >&2
fi
exit $stale
