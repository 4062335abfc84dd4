#!/usr/bin/env bash
# Sets up, builds everything and runs the whole test suite twice, two tests at a time: in the
# normal build (build/), then in the sanitizer build (build-asan/, clang, with the fuzz
# targets' short runs). Both builds take warnings for errors. Each ends with CTest's summary;
# the script fails when either suite fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# clang and its sanitizer and fuzzer run-time libraries, for build-asan.
"$here/scripts/setup.sh" clang-14 libclang-rt-14-dev
"$here/scripts/check-format.sh"

status=0
echo "== Normal build: the test suite"
cmake -S "$here" -B "$here/build" -DTAVIK_WERROR=ON > /dev/null
cmake --build "$here/build" --parallel "$(nproc)"
(cd "$here/build" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --no-tests=error) || status=1

echo "== Sanitizer build: the test suite and the fuzz targets' short runs"
CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVIK_SANITIZE=ON -DTAVIK_FUZZ=ON -DTAVIK_WERROR=ON > /dev/null
cmake --build "$here/build-asan" --parallel "$(nproc)"
(cd "$here/build-asan" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --no-tests=error) || status=1

[ "$status" -eq 0 ] || echo "Some tests failed: see the summaries above." >&2
exit "$status"
