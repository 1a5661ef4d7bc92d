#!/usr/bin/env bash
# Installs what the program needs, builds it, and converts the bundled sample log into a page.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
log="$root/examples/kamo-river-ride.log"
"$root/build/routelet" --console "$log"
echo "Page written: ${log%.log}.html"
