#!/usr/bin/env bash
# Runs the libFuzzer targets, each for a time budget or a number of inputs,
# and prints how many inputs each one ran, in how long. The targets and their
# inputs' limits are listed in fuzz/targets.cmake; each run works on a scratch
# copy of its seed corpus (build/fuzz/corpus/NAME), so the seeds in the tree
# stay small. A crash or a failed check is reported with the fuzzer's log and
# the input that caused it (build/fuzz/NAME-crash-*); the other targets still run.
#
#   scripts/fuzz.sh                      # each target for its own budget (fuzz/targets.cmake)
#   scripts/fuzz.sh 600                  # each target for 600 seconds
#   scripts/fuzz.sh -runs=10000000       # each target for 10^7 inputs
#   scripts/fuzz.sh -runs=10000000 regfile condition   # only these targets
#   scripts/fuzz.sh -merge               # minimise every seed corpus with what the runs found
#   scripts/fuzz.sh -merge regfile       # only this one
#
# The machine is usually shared: `nice -n 10 scripts/fuzz.sh ...`.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=()
label=""
merge=0
case "${1:-}" in
  -runs=*) limit=("$1"); label="${1#-runs=} inputs"; shift ;;
  -merge) merge=1; shift ;;
  [0-9]*) limit=(-max_total_time="$1"); label="$1 s"; shift ;;
esac

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed (Debian: clang)" >&2; exit 2; }
cmake --preset fuzz >/dev/null
all=$(sed -n 's/^veltra_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/targets.cmake)
targets="${*:-$all}"
for name in $targets; do
  grep -q "^veltra_fuzzer(${name} " fuzz/targets.cmake || { echo "fuzz.sh: no target $name" >&2; exit 2; }
  cmake --build build/fuzz --target "${name}_fuzzer" -j2 >/dev/null
done

status=0
for name in $targets; do
  line=$(grep "^veltra_fuzzer(${name} " fuzz/targets.cmake)
  seconds=$(sed -n 's/.*SECONDS \([0-9]*\).*/\1/p' <<<"$line")
  max_len=$(sed -n 's/.*MAX_LEN \([0-9]*\).*/\1/p' <<<"$line")
  dict=$(sed -n 's/.*DICT \([a-z_.]*\).*/\1/p' <<<"$line")
  fuzzer="build/fuzz/fuzz/${name}_fuzzer"
  corpus="build/fuzz/corpus/${name}"
  mkdir -p "$corpus"
  log="build/fuzz/${name}.log"

  if [ "$merge" = 1 ]; then
    # The smallest set of inputs that reaches every branch the seeds and the
    # runs reached replaces the seeds. Hit counts are left out (-use_counters=0):
    # keeping one input per count bucket made the corpora megabytes of long
    # inputs for no further branch.
    fresh=$(mktemp -d)
    if "$fuzzer" -merge=1 -use_counters=0 -max_len="$max_len" "$fresh" "fuzz/corpus/${name}" "$corpus" >"$log" 2>&1; then
      rm -rf "fuzz/corpus/${name}" && mv "$fresh" "fuzz/corpus/${name}" && chmod 755 "fuzz/corpus/${name}"
      printf '%-22s %5s files %8s bytes\n' "$name" "$(find "fuzz/corpus/${name}" -type f | wc -l)" \
        "$(find "fuzz/corpus/${name}" -type f -printf '%s\n' | awk '{s+=$1} END {print s+0}')"
    else
      rm -rf "$fresh"
      printf '%-22s merge FAILED: see %s\n' "$name" "$log"
      status=1
    fi
    continue
  fi

  args=("${limit[@]:--max_total_time=$seconds}" -max_len="$max_len" -print_final_stats=1
        -artifact_prefix="build/fuzz/${name}-")
  [ -n "$dict" ] && args+=(-dict="fuzz/${dict}")
  start=$(date +%s)
  outcome=0
  "$fuzzer" "${args[@]}" "$corpus" "fuzz/corpus/${name}" >"$log" 2>&1 || outcome=$?
  took=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ "$outcome" = 0 ]; then
    printf '%-22s %12s runs in %6ss (%s/s)\n' "$name" "$runs" "$took" "$(( runs / (took > 0 ? took : 1) ))"
  elif grep -q 'libFuzzer: run interrupted' "$log"; then
    # Stopped with Ctrl-C or SIGINT: what ran still counts.
    printf '%-22s %12s runs, interrupted after %ss\n' "$name" "$runs" "$took"
    status=130
  else
    printf '%-22s FAILED: see %s\n' "$name" "$log"
    status=1
  fi
done
[ -z "$label" ] || echo "(each target: $label)"
exit $status
