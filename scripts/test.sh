#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; ends with CTest's summary.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/check-format.sh"
cd "$here/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error
