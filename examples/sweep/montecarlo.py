"""Monte Carlo draws of AK, AS and XAA for one deck, and what each draw's
simulation gives: peak head and its time, the largest seepage into the aquifer
and the largest bank storage.

The functions here are plain Python over the kesta module: the sweep sends them
to Dask workers, and the tests run them in a serial loop to compare.
"""
import math
import os

import numpy as np

import kesta

PARAMETERS = ("AK", "AS", "XAA")
COLUMNS = ("draw", "AK", "AS", "XAA", "peak_head", "peak_time", "max_seepage_into_aquifer", "max_bank_storage")


def default_ranges(deck, spread=2.0):
    """From value / spread to value * spread around the deck's own values; a
    value of 0 (XAA without a streambank) stays 0."""
    return {name: (getattr(deck, name) / spread, getattr(deck, name) * spread) for name in PARAMETERS}


def range_problem(name, low, high):
    """Why a range cannot be drawn from, or None."""
    if not (math.isfinite(low) and math.isfinite(high)):
        return f"the range of {name} must be finite numbers"
    if low > high:
        return f"the range of {name} runs from {low} down to {high}"
    if low <= 0 and low != high:
        return f"the range of {name} must be above 0: draws are uniform in the logarithm"
    return None


def draw(ranges, count, seed):
    """`count` rows of (AK, AS, XAA), each uniform in the logarithm over its
    range: the properties span orders of magnitude. One seed, one table."""
    generator = np.random.default_rng(seed)
    columns = []
    for name in PARAMETERS:
        low, high = ranges[name]
        if low == high:
            columns.append(np.full(count, float(low)))
        else:
            columns.append(np.exp(generator.uniform(math.log(low), math.log(high), count)))
    return np.column_stack(columns)


def summary(results):
    """Peak head, time of the peak, largest seepage into the aquifer (seepage is
    positive into the stream, so this is the most negative one, or 0) and the
    largest bank storage."""
    peak = int(np.argmax(results.head))
    into_aquifer = max(0.0, -float(np.min(results.seepage)))
    return (float(results.head[peak]), float(results.time[peak]), into_aquifer, float(np.max(results.bank_storage)))


def simulate_batch(deck, first, draws):
    """The table rows of draws numbered from `first`, and (draw, message) for
    every draw the model rejects, whose row then holds NaN."""
    working = deck.copy()
    rows = np.full((len(draws), len(COLUMNS)), np.nan)
    problems = []
    for i, values in enumerate(draws):
        rows[i, 0] = first + i
        rows[i, 1:4] = values
        working.AK, working.AS, working.XAA = (float(v) for v in values)
        try:
            # The contour inversion: a peak or a seepage compared across draws must
            # differ by the draw, not by the Stehfest sum's error, which changes
            # with AK/AS (and so from draw to draw) in the last printed digits.
            rows[i, 4:] = summary(kesta.simulate(working, inversion="contour"))
        except ValueError as error:
            problems.append((first + i, str(error)))
    return rows, problems


def batches(count, size):
    """(start, stop) of consecutive batches of at most `size` draws."""
    return [(start, min(start + size, count)) for start in range(0, count, size)]


def write_csv(path, rows):
    """One line per draw; numbers in their shortest exact form, so the table
    reads back to the same doubles. Written beside the file and renamed over
    it, so an existing table stays whole until the new one is."""
    part = f"{path}.{os.getpid()}.part"
    try:
        with open(part, "w", encoding="utf-8") as out:
            out.write(",".join(COLUMNS) + "\n")
            for row in rows:
                out.write(",".join([str(int(row[0]))] + [repr(float(v)) for v in row[1:]]) + "\n")
        os.replace(part, path)
    finally:
        if os.path.exists(part):
            os.unlink(part)
