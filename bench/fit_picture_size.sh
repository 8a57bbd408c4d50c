#!/usr/bin/env bash
# Size of kesta-fit's picture for very large records: the river example with
# its northern well's record replaced by N readings (its 80 readings
# interpolated, plus noise of 1 cm), fitted with --units m,d. Prints per N the
# command, the observations, the SVG's bytes, the fit's wall time and, when
# rsvg-convert is installed, the time it takes to render the SVG to PNG.
# Usage: bench/fit_picture_size.sh [BUILD] [N ...]   (default N: 10000 100000 1000000)
set -euo pipefail
build="$(realpath "${1:-build}")"
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(10000 100000 1000000)
source="$(cd "$(dirname "$0")/.." && pwd)/examples/fit"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$source"/river.dat "$source"/well-meadow.csv "$source"/gauging.csv "$work"/
sed 's/well-north.csv/well-dense.csv/' "$source/river.toml" >"$work/river.toml"

printf '%-10s %12s %10s %10s  %s\n' observations "svg bytes" "fit s" "render s" command
for n in "${counts[@]}"; do
  N="$n" python3 - "$source/well-north.csv" "$work/well-dense.csv" <<'PY'
import os, random, sys
rows = [line.split(",") for line in open(sys.argv[1]).read().split("\n")[1:] if line]
t = [float(r[0]) for r in rows]
h = [float(r[1]) for r in rows]
n = int(os.environ["N"])
random.seed(1)
with open(sys.argv[2], "w") as out:
    out.write("time_d,head_m,weight\n")
    k = 0
    for i in range(n):
        x = t[0] + (t[-1] - t[0]) * i / (n - 1)
        while k + 2 < len(t) and t[k + 1] < x:
            k += 1
        w = (x - t[k]) / (t[k + 1] - t[k])
        out.write(f"{x:.6f},{h[k] + w * (h[k + 1] - h[k]) + random.gauss(0.0, 0.01):.5f},100\n")
PY
  command="kesta-fit --quiet --units m,d river.toml"
  start=$(date +%s.%N)
  (cd "$work" && "$build/fit/kesta-fit" --quiet --units m,d river.toml >/dev/null) || true
  fit=$(echo "$(date +%s.%N) - $start" | bc)
  bytes=$(stat -c %s "$work/river.svg")
  render="-"
  if command -v rsvg-convert >/dev/null; then
    start=$(date +%s.%N)
    # A picture the renderer refuses (too many elements) is reported as such.
    if rsvg-convert "$work/river.svg" -o "$work/river-$n.png" 2>"$work/render-errors"; then
      render=$(printf '%.2f' "$(echo "$(date +%s.%N) - $start" | bc)")
    else
      render=refused
    fi
    [ -z "${KEEP_PNG:-}" ] || [ "$render" = refused ] || cp "$work/river-$n.png" "$KEEP_PNG"
  fi
  printf '%-10s %12s %10.2f %10s  %s\n' "$n" "$bytes" "$fit" "$render" "$command"
done
