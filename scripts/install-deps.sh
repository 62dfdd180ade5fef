#!/usr/bin/env bash
# Installs the Debian 12 packages the build and every test need. Runs as root
# (CI) or through sudo; safe to run again.
set -euo pipefail
packages=(
  cmake make g++ pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev nlohmann-json3-dev libcli11-dev libmimalloc-dev
  mingw-w64 wine wine64 msitools wixl libmsi-dev libglib2.0-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y "${missing[@]}"
