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
