#!/usr/bin/env bash
# The built program in a real X window: it maps "Conversione", converts, and "Chiudi" ends it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
bash scripts/screenshot.sh build/release/conversione build/release/screenshot.png
