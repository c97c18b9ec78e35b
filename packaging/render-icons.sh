#!/usr/bin/env bash
# Renders the application icon (packaging/icons/conversione.svg) into the PNG sizes kept in
# packaging/icons/png/, so that neither the build nor the program needs an SVG renderer, and
# those into packaging/icons/conversione.ico for the Windows program. Run it after changing the
# SVG and commit the PNGs and the icon file. With --check it only reports whether the committed
# files still match the SVG (exit 1 if not).
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
# The Windows icon file: the same renderings, 256 pixels kept PNG-compressed as Windows expects.
ico="$here/icons/conversione.ico"
pngs=()
for size in "${sizes[@]}"; do
    [ "$size" = 256 ] || pngs+=("$out/$size.png")
done
if $check; then
    made=$(mktemp)
    icotool --create --output="$made" "${pngs[@]}" --raw="$out/256.png"
    if ! cmp -s "$made" "$ico"; then
        echo "render-icons: $ico does not match the PNGs" >&2
        stale=1
    fi
    rm -f "$made"
else
    icotool --create --output="$ico" "${pngs[@]}" --raw="$out/256.png"
fi
if [ $stale -ne 0 ]; then
    echo "render-icons: run bash packaging/render-icons.sh and commit the PNGs and the icon file" >&2
fi
exit $stale
