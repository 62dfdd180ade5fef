#!/usr/bin/env bash
# How much faster the simulated installer is than a real one, on the same
# package and the same roads: a silent installation of the local logon client
# (msiexec /qn ADDLOCAL=LocalAuthClient, with the options file beside the
# package) and its removal (msiexec /x /qn).
#
# Wine's msiexec installs and removes the x86_64 test package in a prefix
# prepared beforehand (the prefix's creation is not timed); each timing
# includes `wineserver -w`, since the registry reaches its files only when
# the server ends. The simulated roads run in-process in the Release
# benchmark (SilentRoad and RemoveRoad of veltra_bench). Medians of ROUNDS.
#
#   scripts/ratio.sh            # 3 rounds
#   scripts/ratio.sh 5
#
# Run it on a quiet machine: both sides are wall-clock figures.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-3}"
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/ratio.sh [ROUNDS]" >&2; exit 2; }

scripts/install-deps.sh
echo "Building the Release benchmark and the x86_64 package..."
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target veltra_bench >/dev/null
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 >/dev/null
package="build/mingw-x64/packaging/VeltraAgent-x64.msi"
[ -f "$package" ] || { echo "ratio.sh: no package at $package" >&2; exit 1; }

work="$(pwd)/build/ratio"
rm -rf "$work"
mkdir -p "$work/package"
cp "$package" "$work/package/"
printf 'InstallSilentLAC=1\r\n' >"$work/package/packageOptionsFile.txt"
msi="Z:$(sed 's|/|\\|g' <<<"$work/package/$(basename "$package")")"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
echo "Preparing a Wine prefix (not timed)..."
wine wineboot -i >/dev/null 2>&1
wineserver -w
# Custom actions start in the system folder, as under the installer service.
cd "$WINEPREFIX/drive_c/windows/system32"

now() { date +%s.%N; }
# Runs msiexec with the given arguments, waits for the server, prints seconds.
timed_msiexec() {
  local start end status=0
  start=$(now)
  wine msiexec "$@" /qn >/dev/null 2>&1 || status=$?
  wineserver -w
  end=$(now)
  if [ "$status" -ne 0 ]; then
    echo "ratio.sh: msiexec $1 ended with $status" >&2
    exit 1
  fi
  awk -v from="$start" -v to="$end" 'BEGIN { printf "%.3f\n", to - from }'
}
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

installs=() removals=()
for ((i = 1; i <= rounds; i++)); do
  installs+=("$(timed_msiexec /i "$msi" ADDLOCAL=LocalAuthClient)")
  removals+=("$(timed_msiexec /x "$msi")")
  echo "  round $i: install ${installs[-1]} s, remove ${removals[-1]} s"
done
cd - >/dev/null
wine_install=$(printf '%s\n' "${installs[@]}" | median)
wine_remove=$(printf '%s\n' "${removals[@]}" | median)

echo "Running the same roads in-process..."
json="$work/bench.json"
build/linux-release/bench/veltra_bench --benchmark_filter='^(SilentRoad|RemoveRoad)$' \
  --benchmark_repetitions="$rounds" --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$json"
sim_us() {
  python3 -c 'import json,sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["name"] == sys.argv[2] + "_median":
        print(b["real_time"] * {"ns": 1e-3, "us": 1, "ms": 1e3}[b["time_unit"]])' "$json" "$1"
}
sim_install=$(sim_us SilentRoad)
sim_remove=$(sim_us RemoveRoad)

python3 - "$wine_install" "$wine_remove" "$sim_install" "$sim_remove" "$rounds" <<'EOF'
import sys
wi, wr, si, sr = (float(v) for v in sys.argv[1:5])
print(f"\nMedians of {sys.argv[5]} rounds")
print(f"{'':28}{'install':>12}{'remove':>12}{'both':>12}")
print(f"{'Wine msiexec (s)':28}{wi:12.3f}{wr:12.3f}{wi + wr:12.3f}")
print(f"{'simulated, in-process (us)':28}{si:12.1f}{sr:12.1f}{si + sr:12.1f}")
print(f"{'ratio':28}{wi * 1e6 / si:12,.0f}{wr * 1e6 / sr:12,.0f}{(wi + wr) * 1e6 / (si + sr):12,.0f}")
EOF
