#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if ! echo "$files" | xargs clang-format --dry-run --Werror 2>/tmp/tavik-format.$$; then
    grep -E '^[^ ].*(warning|error):' /tmp/tavik-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
    rm -f /tmp/tavik-format.$$
    echo "Run: cmake --build build --target format" >&2
    exit 1
fi
rm -f /tmp/tavik-format.$$
echo "Formatting: every file as clang-format makes it."
