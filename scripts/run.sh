#!/usr/bin/env bash
# Installs what is missing, builds the simulator and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build"
exec "$top/build/app/vorlap" "$@"
