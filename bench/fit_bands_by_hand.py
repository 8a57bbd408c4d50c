#!/usr/bin/env python3
"""The fit's delta-method bands against a propagation done here by hand.

Fits a copy of the river example with kesta.fit, then for each series takes
the derivatives of kesta.simulate by each fitted value's logarithm at a step
ten times smaller than the fit's, carries the reported standard errors and
correlation through them, and prints how far the confidence band's
half-width lies from that (relative to its largest value) and the t factor
the band implies (it should be Student's at the level and the fit's degrees
of freedom).

    PYTHONPATH=build/python /usr/bin/python3 bench/fit_bands_by_hand.py examples/fit
"""
import math
import pathlib
import shutil
import sys
import tempfile

import numpy as np

import kesta

STEP = 1e-4
SERIES = [("head_x60", 60.0, "head"), ("head_x250", 250.0, "head"), ("seepage", 60.0, "seepage"),
          ("total_seepage", 60.0, "total_seepage"), ("bank_storage", 60.0, "bank_storage"),
          ("bank_volume", 60.0, "bank_volume")]


def main(example):
    folder = pathlib.Path(tempfile.mkdtemp()) / "fit"
    shutil.copytree(example, folder)
    report = kesta.fit(folder / "river.toml")
    bands = report["bands"]
    names = report["correlation"]["parameters"]
    sd = np.array([report["parameters"][n]["std_error"] / report["parameters"][n]["estimate"] for n in names])
    covariance = np.array(report["correlation"]["matrix"]) * np.outer(sd, sd)
    fitted = kesta.read_deck(folder / "river.fitted.dat")
    print(f"level {bands['level']}, {report['interval_degrees_of_freedom']} degrees of freedom")
    for series, distance, attribute in SERIES:
        columns = []
        for name in names:
            sides = []
            for shift in (STEP, -STEP):
                deck = kesta.read_deck(folder / "river.fitted.dat")
                deck.X = distance
                setattr(deck, name, getattr(fitted, name) * math.exp(shift))
                sides.append(np.asarray(getattr(kesta.simulate(deck, inversion="contour"), attribute)))
            columns.append((sides[0] - sides[1]) / (2 * STEP))
        g = np.array(columns).T
        by_hand = np.sqrt(np.einsum("ij,jk,ik->i", g, covariance, g))
        half = bands[series + "_conf_upper"] - bands[series + "_estimate"]
        seen = by_hand > 1e-3 * by_hand.max()
        t = float(np.median(half[seen] / by_hand[seen]))
        worst = np.abs(half - t * by_hand).max() / half.max()
        print(f"{series:14s} largest half-width {half.max():.4g}; t {t:.6f}; off by hand {worst:.1e} of the largest")
    shutil.rmtree(folder.parent)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/fit")
