#!/usr/bin/env bash
# Installs the library into a fresh prefix, builds the example in
# examples/library as an outside project would, and runs it on the flood-wave
# deck: its peak head and time must be the report's (0.74242 at day 2.6).
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > /dev/null
cmake -S "$source/examples/library" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" > /dev/null
cmake --build "$work/build" > /dev/null
output="$("$work/build/peak_head" "$source/examples/flood-wave-confined.dat")"
expected="AK = 3: peak head 0.74242 at time 2.6"
first="$(head -n 1 <<< "$output")"
if [ "$first" != "$expected" ]; then
  echo "expected: $expected"
  echo "got:      $first"
  exit 1
fi
# The doubled conductivity gives a different, earlier peak.
second="$(sed -n 2p <<< "$output")"
[[ "$second" == "AK = 6: peak head "* ]] || { echo "second line: $second"; exit 1; }
# A missing deck is a DeckError naming the file, exit 1.
if "$work/build/peak_head" "$work/no-such-deck.dat" 2> "$work/err"; then
  echo "a missing deck must fail"; exit 1
fi
grep -q "cannot open the deck: file not found" "$work/err" || { cat "$work/err"; exit 1; }

# Calibration, where kesta-fit is built: the example fits the river example
# against the installed kesta::fit and writes the fitted deck kesta-fit writes.
[ -x "$build/fit/kesta-fit" ] || exit 0
[ -x "$work/build/fit_estimates" ] || { echo "the installed package has no kesta::fit"; exit 1; }
cp -r "$source/examples/fit" "$work/fit"
mkdir "$work/library-out" "$work/program-out"
"$work/build/fit_estimates" "$work/fit/river.toml" "$work/library-out" > "$work/fit.txt"
"$build/fit/kesta-fit" --quiet --output-dir "$work/program-out" "$work/fit/river.toml" > /dev/null
cmp "$work/library-out/river.fitted.dat" "$work/program-out/river.fitted.dat"
grep -q "^AK = [0-9.]* (95 % interval [0-9.]* to [0-9.]*)$" "$work/fit.txt" || { cat "$work/fit.txt"; exit 1; }
grep -qx "autocorrelated residuals: gauging.csv" "$work/fit.txt" || { cat "$work/fit.txt"; exit 1; }
[ "$(tail -n 1 "$work/fit.txt")" = "trusted" ] || { cat "$work/fit.txt"; exit 1; }
# A fit file that is not there is a FitInputError naming it, exit 1.
if "$work/build/fit_estimates" "$work/fit/no-such.toml" 2> "$work/err"; then
  echo "a missing fit file must fail"; exit 1
fi
grep -q "^fit_estimates: .*no-such.toml" "$work/err" || { cat "$work/err"; exit 1; }
