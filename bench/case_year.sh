#!/usr/bin/env bash
# Whole-run time of kesta --case on a year of 15-minute stage readings (35,040,
# dated, in Europe/Amsterdam with its two daylight-saving changes) to
# results.csv, by the contour inversion: the median of RUNS runs (hyperfine
# from Debian, else bash's own clock).
# Usage: bench/case_year.sh [BUILD] [RUNS] [YEARS]   (YEARS = 30: about 1.05 million
# readings, the 3 s target, with the peak memory of one run)
set -euo pipefail
build="${1:-build}"
runs="${2:-10}"
years="${3:-1}"
kesta="$(realpath "$build/kesta")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A tide-like stage: two waves and a slow seasonal swing, written in local time.
YEARS="$years" python3 - <<'PY'
import datetime, math, os, zoneinfo
zone = zoneinfo.ZoneInfo("Europe/Amsterdam")
start = datetime.datetime(2023, 1, 1, tzinfo=datetime.timezone.utc)
with open("gauge.csv", "w") as out:
    out.write("Date,Stage\n")
    for i in range(35040 * int(os.environ["YEARS"])):
        t = start + datetime.timedelta(minutes=15 * i)
        days = i / 96.0
        level = 2.0 + 0.8 * math.sin(2 * math.pi * days / 0.5175) + 0.1 * math.sin(2 * math.pi * days / 14.77) \
            + 0.5 * math.sin(2 * math.pi * days / 365.0)
        out.write(f"{t.astimezone(zone).isoformat(timespec='minutes')},{level:.3f}\n")
PY
cat > year.toml <<'TOML'
title = "A year of 15-minute stage readings"
x = 150.0
[aquifer]
type = "confined"
stream_half_width = 20.0
stream_length = 2000.0
conductivity = 8.0
specific_storage = 1e-4
thickness = 25.0
[stage]
file = "gauge.csv"
time = "Date"
value = "Stage"
datum = "first"
[run]
step = "15 min"
zone = "Europe/Amsterdam"
TOML

# Processor time beside the whole run: on a shared machine the run may wait for a core.
/usr/bin/time -f "%e s (processor %U s user + %S s system), %M KB" -o memory.txt "$kesta" --case year.toml > console.txt
echo "one run: $(cat memory.txt) peak"
rows=$(grep -vc '^#' results.csv)
echo "kesta --case year.toml: $(( rows - 1 )) rows, $(wc -c < results.csv) bytes of results.csv"
if command -v hyperfine > /dev/null; then
  hyperfine --runs "$runs" --warmup 2 --export-json m.json "'$kesta' --case year.toml > /dev/null" > /dev/null 2>&1
  median=$(awk -F: '/"median"/ { gsub(/[ ,]/, "", $2); print $2; exit }' m.json)
else
  times=()
  for _ in $(seq "$runs"); do
    t0=$(date +%s.%N); "$kesta" --case year.toml > /dev/null; t1=$(date +%s.%N)
    times+=("$(echo "$t1 - $t0" | bc)")
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
fi
awk -v s="$median" 'BEGIN { printf "whole run, median of the runs: %.3f s (targets 0.5 s for a year, 3 s for 30 years)\n", s }'
