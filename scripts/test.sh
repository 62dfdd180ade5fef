#!/usr/bin/env bash
# Every test: installs what is needed, builds the Linux tree (library, bench,
# unit and scenario tests) and runs CTest, which includes the checks of the
# Windows DLLs and the end-to-end installs in Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux
ctest --preset linux -j2 "$@"
