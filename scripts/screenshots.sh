#!/usr/bin/env bash
# Builds the window and writes pictures of every page, menu and box in English and Chinese
# into build/screenshots/ (or the folder given as $1).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build"
out=${1:-$top/build/screenshots}
"$top/build/bin/wexfold-screenshots" "$out"
