#!/usr/bin/env bash
# Rewrites the golden report, plot file and console warnings of every example
# deck from the built kesta. Run it only after a change of the results that has been checked, then
# run the golden checks (kesta_golden_tests) before committing the new goldens.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/../.."
kesta="${KESTA:-$root/build/kesta}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for deck in "$root"/examples/*.dat; do
  name="$(basename "$deck" .dat)"
  cp "$deck" "$work/"
  # Names shorter than the 50 characters a file-name answer holds: run in the folder.
  (cd "$work" && printf '%s\n%s\n%s\n' "$name.dat" report.txt plot.txt | "$kesta" >/dev/null 2>warnings.txt)
  mv "$work/warnings.txt" "$here/$name.warnings.txt"
  mv "$work/report.txt" "$here/$name.report.txt"
  mv "$work/plot.txt" "$here/$name.plot.txt"
  echo "$name"
done
