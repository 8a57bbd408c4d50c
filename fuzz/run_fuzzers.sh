#!/usr/bin/env bash
# Runs every harness for a while on its corpus and fails when one finds a crash.
#   fuzz/run_fuzzers.sh BUILD SECONDS
# A crashing input is kept as BUILD/artifacts/<harness>-crash-<hash>; run the
# harness on that file alone to see it again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
seconds="$2"
"$root/fuzz/make_corpus.sh" "$build"
mkdir -p "$build/artifacts" "$build/logs"

status=0
# kesta-fit's harnesses are built where Ceres Solver and toml++ are installed.
fit_harnesses=()
for harness in fit_file observation_csv fit_numbers; do
  [ -x "$build/${harness}_fuzz" ] && fit_harnesses+=("$harness")
done

# The case harness is built where the date library is installed.
case_harness=()
[ -x "$build/case_fuzz" ] && case_harness=(case)
for harness in list_parser record_editing input_phase whole_run plot_file case_results "${fit_harnesses[@]}" "${case_harness[@]}"; do
  dict=()
  case "$harness" in
    list_parser | input_phase | whole_run) dict=(-dict="$root/fuzz/deck.dict") ;;
    plot_file) dict=(-dict="$root/fuzz/plot_file.dict" -max_len=9000) ;;  # room for a line past the bound
  esac
  log="$build/logs/$harness.log"
  if "$build/${harness}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 "${dict[@]}" -artifact_prefix="$build/artifacts/$harness-" \
       "$build/corpus/$harness" > "$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $harness: ${runs:-?} runs in ${seconds}s, no failure"
  else
    echo "fuzz $harness: FAILED, see $log"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
