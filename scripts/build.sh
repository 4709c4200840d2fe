#!/usr/bin/env bash
# Usage: build.sh BUILD_DIR [cmake options...]
set -euo pipefail
dir=$1
shift
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$dir" -j"$(nproc)"
