#!/usr/bin/env bash
# Sets up, builds and runs Tavik in the current folder against real units: arguments go to
# the program (for example -c my.cfg). Without a display it runs offscreen until
# interrupted (Ctrl+C).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" fonts-noto-cjk
cmake --build "$here/build" --parallel "$(nproc)" --target tavik
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running offscreen until interrupted (Ctrl+C)."
    exec "$here/build/tavik" -platform offscreen "$@"
fi
exec "$here/build/tavik" "$@"
