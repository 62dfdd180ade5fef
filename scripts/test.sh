#!/usr/bin/env bash
# Every test: installs what is needed, builds the Linux tree (library, bench,
# unit and scenario tests) and runs CTest, which includes the checks of the
# Windows DLLs, the end-to-end installs in Wine and the sweeps of every road;
# then the sweeps again in the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux
ctest --preset linux -j2 "$@"
# The sweeps once more under AddressSanitizer and UBSan: a fault path that
# reads freed memory or overflows a buffer is caught even where it does not
# crash.
cmake --preset asan
cmake --build --preset asan --target agentca
ctest --preset asan -j2 -L sweep
