#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor in its data folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
data=${XDG_DATA_HOME:-$HOME/.local/share}/wexfold
mkdir -p "$data"
cd "$data"
exec "$top/build/bin/wexfold" "$@"
