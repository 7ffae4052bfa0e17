#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor in its data folder (the launcher
# makes the folder on first start).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
exec "$top/build/bin/wexfold-launch" "$@"
