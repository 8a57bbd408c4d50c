#!/usr/bin/env python3
"""Writes the calibration example of this folder: a deck to start from, field
records made from a known deck with noise added, and the fit file.

The files are committed; run this only to change them, with a built kesta:
    python3 examples/fit/make_fit_example.py [path/to/kesta]

The known ("true") aquifer: AK = 15 m/d, AS = 1.0e-4 1/m, XAA = 40 m. The
records are what kesta computes for it, sampled as a field crew would and with
Gaussian noise from a fixed seed, so the same files come out on every machine.
"""
import math
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

TRUE = {"AK": 15.0, "AS": 1.0e-4, "XAA": 40.0}
GUESS = {"AK": 5.0, "AS": 5.0e-4, "XAA": 150.0}
DELT = 0.05          # days: 72 steps a day
DAYS = 20.0
WELLS = {"well-north.csv": 60.0, "well-meadow.csv": 250.0}
HEAD_EVERY = 0.25    # days: a logger reading every 6 hours
HEAD_NOISE = 0.01    # m: logger and levelling error
SEEPAGE_EVERY = 1.0  # days: one differential gauging a day
SEEPAGE_NOISE = 0.03  # m2/d per metre of stream: about 5 % of the peak
SEED = 20260412


def stage(t):
    """Two flood waves: 1.6 m peaking on day 2, 0.9 m peaking on day 11."""
    def wave(t, peak, t_peak):
        return 0.0 if t <= 0.0 else peak * (t / t_peak * math.exp(1.0 - t / t_peak)) ** 3
    return wave(t, 1.6, 2.0) + wave(t - 9.0, 0.9, 2.0)


def deck_text(values, x):
    nt = int(round(DAYS / DELT)) + 1
    lines = [
        "Gravel-bed river, two flood waves; confined sand and gravel, silty bank",
        "Aquifer 18 m thick; stage in m above the pre-flood level; metres, days",
        "0  %g  0" % DELT,
        "0  0  1",
        "15.0  0.0  %.6g  2000.0" % values["XAA"],
        "%.6g  %.6g  18.0" % (values["AK"], values["AS"]),
        "0.0  0.0  0.0  0.0",
        "%.6g  0.0  0.0" % x,
        "16",
        str(nt),
    ]
    lines += ["%.4f  %.5f  0.0" % (k * DELT, stage(k * DELT)) for k in range(nt)]
    return "\n".join(lines) + "\n"


def run_kesta(kesta, deck):
    """Rows (T, H, SEEP) of the plot file kesta writes for this deck."""
    with tempfile.TemporaryDirectory() as tmp:
        with open(os.path.join(tmp, "deck.dat"), "w") as f:
            f.write(deck)
        subprocess.run([kesta], input="deck.dat\nreport.txt\nplot.txt\n", text=True, cwd=tmp,
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(tmp, "plot.txt")) as f:
            rows = [line.split() for line in f.read().splitlines()[1:] if line.strip()]
    return [(float(r[0]), float(r[1]), float(r[2])) for r in rows]


def sample(rows, column, every, noise, rng):
    step = int(round(every / DELT))
    return [(rows[k][0], rows[k][column] + rng.gauss(0.0, noise)) for k in range(step, len(rows), step)]


def write_csv(name, header, samples, weight):
    with open(os.path.join(HERE, name), "w", newline="\n") as f:
        f.write(header + "\n")
        for t, v in samples:
            f.write("%.4f,%.5f,%g\n" % (t, v, weight))


def main():
    kesta = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "build", "kesta")
    rng = random.Random(SEED)
    seepage = None
    for name, x in WELLS.items():
        rows = run_kesta(kesta, deck_text(TRUE, x))
        write_csv(name, "time_d,head_m,weight", sample(rows, 1, HEAD_EVERY, HEAD_NOISE, rng), 1.0 / HEAD_NOISE)
        seepage = seepage or rows
    write_csv("gauging.csv", "time_d,seepage_m2_per_d,weight", sample(seepage, 2, SEEPAGE_EVERY, SEEPAGE_NOISE, rng),
              1.0 / SEEPAGE_NOISE)
    with open(os.path.join(HERE, "river.dat"), "w", newline="\n") as f:
        f.write(deck_text(GUESS, 60.0))


if __name__ == "__main__":
    main()
