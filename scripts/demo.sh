#!/usr/bin/env bash
# The main job: installs what is needed, builds the bench, writes the sample
# machine and runs the interactive installation road on it, printing what the
# library would change on that machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target agentca
sample=build/sample-machine
rm -rf "$sample"
build/linux/src/cli/agentca init "$sample"
echo
build/linux/src/cli/agentca road install --machine "$sample" "$@"
