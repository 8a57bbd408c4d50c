#!/usr/bin/env python3
"""Monte Carlo sweep of AK, AS and XAA for one deck on a Dask cluster.

    sweep.py DECK --draws N --seed S --out TABLE.csv [--scheduler tcp://HOST:8786]

Each Dask task simulates a batch of draws, by the contour inversion (every
printed digit right, the deck's NS unused); the table has one row per draw: its
values, the peak head, the time of the peak, the largest seepage into the
aquifer and the largest bank storage. Without --scheduler the sweep runs on a
LocalCluster of this machine's cores; with it, on the cluster behind that
scheduler, whose workers need the kesta module installed.

Exit status: 0 table written; 1 a deck that cannot be read or fails a check,
or a table that cannot be written; 2 wrong options.
"""
import argparse
import os
import sys

import cloudpickle
import numpy as np
from dask.distributed import Client, LocalCluster, progress

import kesta
import montecarlo


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("deck", help="the input deck")
    parser.add_argument("--draws", type=int, required=True, help="number of parameter draws")
    parser.add_argument("--seed", type=int, default=1, help="seed of the draws (default 1): one seed, one table")
    parser.add_argument("--out", required=True, help="the CSV table to write")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, e.g. tcp://HOST:8786")
    parser.add_argument("--workers", type=int, default=os.cpu_count(),
                        help="worker processes of the local cluster (default: one per core)")
    parser.add_argument("--batch", type=int, help="draws per task (default: four tasks per worker thread)")
    parser.add_argument("--spread", type=float, default=2.0,
                        help="default ranges run from value/spread to value*spread (default 2)")
    for name in montecarlo.PARAMETERS:
        parser.add_argument(f"--{name.lower()}", nargs=2, type=float, metavar=("LOW", "HIGH"),
                            help=f"range of {name} (default around the deck's value)")
    parser.add_argument("--no-progress", action="store_true", help="no progress bar")
    args = parser.parse_args(argv)
    if args.draws < 1 or args.workers < 1 or (args.batch is not None and args.batch < 1):
        parser.error("--draws, --workers and --batch take a whole number of at least 1")
    if not args.spread > 1.0:
        parser.error("--spread takes a number above 1")
    return parser, args


def ranges_of(args, deck):
    ranges = montecarlo.default_ranges(deck, args.spread)
    for name in montecarlo.PARAMETERS:
        given = getattr(args, name.lower())
        if given is not None:
            ranges[name] = tuple(given)
    return ranges


def run(client, deck, draws, batch=None, show_progress=True):
    """The table of every draw and the draws the model rejected, in draw order.
    Without a batch size, four tasks for each thread of the cluster."""
    if batch is None:
        threads = max(1, sum(client.nthreads().values()))
        batch = max(1, -(-len(draws) // (4 * threads)))
    # Workers need only the kesta module: the sweep's own code travels with the tasks.
    cloudpickle.register_pickle_by_value(montecarlo)
    [shared_deck] = client.scatter([deck], broadcast=True)
    futures = [client.submit(montecarlo.simulate_batch, shared_deck, start, draws[start:stop], pure=False)
               for start, stop in montecarlo.batches(len(draws), batch)]
    if show_progress:
        progress(futures)
    parts = client.gather(futures)
    return np.vstack([rows for rows, _ in parts]), [p for _, problems in parts for p in problems]


def main(argv=None):
    parser, args = parse_args(argv)
    try:
        deck = kesta.read_deck(args.deck)
    except kesta.DeckError as error:
        print(f"sweep: {error}", file=sys.stderr)
        return 1
    problem = kesta.first_problem(deck)
    if problem is None and deck.NT < 1:
        problem = "the deck has no time steps (NT = 0)"
    if problem is not None:
        print(f"sweep: {args.deck}: {problem}", file=sys.stderr)
        return 1
    ranges = ranges_of(args, deck)
    for name, (low, high) in ranges.items():
        if (why := montecarlo.range_problem(name, low, high)) is not None:
            parser.error(why)
    if deck.IXA != 1 and ranges["XAA"][0] != ranges["XAA"][1]:
        print("sweep: the deck simulates no streambank (IXA = 0): XAA changes nothing", file=sys.stderr)

    draws = montecarlo.draw(ranges, args.draws, args.seed)
    if args.scheduler:
        with Client(args.scheduler) as client:
            rows, problems = run(client, deck, draws, args.batch, not args.no_progress)
    else:
        with LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=":0") as cluster, \
                Client(cluster) as client:
            rows, problems = run(client, deck, draws, args.batch, not args.no_progress)

    try:
        montecarlo.write_csv(args.out, rows)
    except OSError as error:
        print(f"sweep: cannot write the table: {error}", file=sys.stderr)
        return 1
    if problems:
        draw, message = problems[0]
        print(f"sweep: {len(problems)} draws rejected by the model, their rows hold nan "
              f"(draw {draw}: {message})", file=sys.stderr)
    print(f"sweep: {len(rows)} draws written to {args.out}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
