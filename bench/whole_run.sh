#!/usr/bin/env bash
# Whole-process figures of kesta, side by side with the plain double loop built
# as a program of its own (bench/direct_kesta.cpp), on decks of the speed
# targets: NT = 1000 and NT = 99,999 with NS = 20 (leaky, water-table aquitard,
# finite width, streambank, stage and recharge), and a 4-step deck for start-up.
# Usage: bench/whole_run.sh [BUILD]   (hyperfine and GNU time from Debian)
#        bench/whole_run.sh BUILD contour
# The second form times long records by the contour inversion instead: the same
# deck at NT = 99,999 and NT = 1,000,000 (about 30 years at 15 minutes), wall
# time and peak memory of one whole run each, report and plot file written,
# and of kesta-plot drawing the plot file.
set -euo pipefail
build="${1:-build}"
mode="${2:-}"
kesta="$(realpath "$build/kesta")"
direct="$(realpath "$build/bench/direct_kesta")"
plot="$(realpath "$build/plot/kesta-plot")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

deck() {  # deck NT FILE
  awk -v nt="$1" 'BEGIN {
    print "Speed deck: leaky aquifer under a water-table aquitard"; print "stage and recharge, NS = 20"
    print "2 0.25 0"; print "1 3 1"; print "20. 800. 3. 1500."; print "15. 2e-4 10."; print "0.02 1e-4 5. 0.15"
    print "90. 101.5 3."; print "20"; print nt
    for (i = 0; i < nt; i++) printf "%g %.6f %.6f\n", i * 0.25, 100 + sin(i * 0.05) + 0.3 * sin(i * 0.37), 0.01 * cos(i * 0.11)
  }' > "$2"
}
if [ "$mode" = contour ]; then
  for nt in 99999 1000000; do
    deck "$nt" "nt$nt.dat"
    /usr/bin/time -f "%e s %M KB" -o "time$nt.txt" "$kesta" --inversion contour "nt$nt.dat" "r$nt.txt" "p$nt.plt" \
      > /dev/null 2>&1
    echo "NT = $nt, contour: whole run $(tail -n 1 "time$nt.txt") peak, $(wc -c < "r$nt.txt") bytes of report"
    # kesta-plot thins the rows to the picture's pixel columns: its size stays put.
    /usr/bin/time -f "%e s %M KB" -o "plot$nt.txt" "$plot" "p$nt.plt" "p$nt.svg" > /dev/null 2>&1
    echo "NT = $nt, kesta-plot: $(tail -n 1 "plot$nt.txt") peak, $(wc -c < "p$nt.svg") bytes of picture"
  done
  exit 0
fi
deck 4 small.dat
deck 1000 nt1000.dat
deck 99999 nt99999.dat
for d in small nt1000 nt99999; do printf '%s.dat\n%s.txt\n%s.plt\n' "$d" "$d" "$d" > "$d.answers"; done

median() {  # median seconds of a command with standard input from a file, over RUNS runs
  # hyperfine measures the shell that redirects the input and takes its start-up off.
  hyperfine --runs "$1" --warmup 3 --export-json m.json "'$3' < $2 > /dev/null 2>&1" > /dev/null 2>&1
  awk -F: '/"median"/ { gsub(/[ ,]/, "", $2); print $2; exit }' m.json
}
ms() { awk -v s="$1" 'BEGIN { printf "%.2f ms", s * 1000 }'; }

k1000="$(median 30 nt1000.answers "$kesta")"
d1000="$(median 5 nt1000.answers "$direct")"
echo "NT = 1000, NS = 20:  kesta $(ms "$k1000"), plain double loop $(ms "$d1000"), $(awk -v a="$d1000" -v b="$k1000" 'BEGIN { printf "%.0f", a / b }')x faster (medians)"

# Two runs started at once against one alone, both timed the same way by the
# shell (start to wait), so the shell's own costs weigh alike on both.
timed() {  # timed N: median nanoseconds of N runs started at once, 20 times over
  for r in $(seq 20); do
    s=$(date +%s%N)
    for i in $(seq "$1"); do "$kesta" < nt1000.answers > /dev/null 2>&1 & done
    wait
    e=$(date +%s%N)
    echo $(( e - s ))
  done | sort -n | sed -n 10p
}
one="$(timed 1)"
pair="$(timed 2)"
echo "two runs at once: $(awk -v p="$pair" -v one="$one" 'BEGIN { printf "%.2f ms against %.2f ms for one alone: %.2f", p / 1e6, one / 1e6, p / one }')"

tru="$(median 100 small.answers /bin/true)"
small="$(median 100 small.answers "$kesta")"
echo "start-up: 4-step deck $(ms "$small"), /bin/true $(ms "$tru"), difference $(ms "$(awk -v a="$small" -v b="$tru" 'BEGIN { print a - b }')")"

big="$(median 10 nt99999.answers "$kesta")"
echo "NT = 99,999, NS = 20: whole run $(ms "$big") (median)"
/usr/bin/time -f "%M" -o memory.txt "$kesta" < nt99999.answers > /dev/null 2>&1
peak="$(tail -n 1 memory.txt)"
echo "peak memory at NT = 99,999: $(awk -v k="$peak" 'BEGIN { printf "%.1f MB", k / 1024 }')"
