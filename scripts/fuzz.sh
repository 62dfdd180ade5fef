#!/usr/bin/env bash
# Runs every libFuzzer target for a time budget each and prints how many
# inputs each one ran. The targets and their inputs' limits are listed in
# fuzz/targets.cmake; each run works on a scratch copy of its seed corpus
# (build/fuzz/corpus/NAME), so the seeds in the tree stay a handful. A crash
# stops the script with the fuzzer's report and the input that caused it.
#
#   scripts/fuzz.sh            # each target for its own budget (fuzz/targets.cmake)
#   scripts/fuzz.sh 600        # each target for 600 seconds
set -euo pipefail
cd "$(dirname "$0")/.."
budget="${1:-}"

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed (Debian: clang)" >&2; exit 2; }
cmake --preset fuzz >/dev/null
targets=$(sed -n 's/^veltra_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/targets.cmake)
for name in $targets; do
  cmake --build build/fuzz --target "${name}_fuzzer" -j2 >/dev/null
done

status=0
for name in $targets; do
  line=$(grep "^veltra_fuzzer(${name} " fuzz/targets.cmake)
  seconds=$(sed -n 's/.*SECONDS \([0-9]*\).*/\1/p' <<<"$line")
  max_len=$(sed -n 's/.*MAX_LEN \([0-9]*\).*/\1/p' <<<"$line")
  dict=$(sed -n 's/.*DICT \([a-z_.]*\).*/\1/p' <<<"$line")
  corpus="build/fuzz/corpus/${name}"
  mkdir -p "$corpus"
  args=(-max_total_time="${budget:-$seconds}" -max_len="$max_len" -print_final_stats=1)
  [ -n "$dict" ] && args+=(-dict="fuzz/${dict}")
  log="build/fuzz/${name}.log"
  if build/fuzz/fuzz/"${name}_fuzzer" "${args[@]}" "$corpus" "fuzz/corpus/${name}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    printf '%-22s %12s runs in %ss\n' "$name" "$runs" "${budget:-$seconds}"
  else
    printf '%-22s FAILED: see %s\n' "$name" "$log"
    status=1
  fi
done
exit $status
