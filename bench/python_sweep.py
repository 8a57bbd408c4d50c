#!/usr/bin/env python3
"""Simulations per second from Python: a serial loop, a pool of threads (the
module releases the GIL), and the Monte Carlo sweep on a LocalCluster.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_sweep.py [--count 10000] [--nt 1000]

Every way simulates the same draws of AK, AS and XAA for the daily stage record
cut to NT steps, and must give the same table; the cluster's start-up is timed
apart from its sweep.
"""
import argparse
import os
import pathlib
import sys
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
from dask.distributed import Client, LocalCluster

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "examples" / "sweep"))

import kesta  # noqa: E402
import montecarlo  # noqa: E402
import sweep  # noqa: E402


def field_deck(nt):
    deck = kesta.read_deck(ROOT / "examples" / "daily-stage-record.dat")
    if nt > deck.NT:
        sys.exit(f"python_sweep: the daily stage record has only {deck.NT} steps")
    deck.NT = nt
    deck.TIME, deck.STAGE, deck.RECH = deck.TIME[:nt], deck.STAGE[:nt], deck.RECH[:nt]
    return deck


def serial(deck, draws, _):
    return montecarlo.simulate_batch(deck, 0, draws)[0]


def threads(deck, draws, count):
    spans = montecarlo.batches(len(draws), -(-len(draws) // (4 * count)))
    with ThreadPoolExecutor(count) as pool:
        parts = pool.map(lambda span: montecarlo.simulate_batch(deck, span[0], draws[span[0]:span[1]])[0], spans)
        return np.vstack(list(parts))


def report(name, seconds, count):
    print(f"{name:<28} {count / seconds:10.1f} simulations/s  ({seconds:.2f} s)", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--count", type=int, default=10000, help="simulations in each way (default 10000)")
    parser.add_argument("--nt", type=int, default=1000, help="time steps of the deck (default 1000)")
    parser.add_argument("--workers", type=int, default=os.cpu_count(), help="threads and worker processes")
    args = parser.parse_args()

    deck = field_deck(args.nt)
    draws = montecarlo.draw(montecarlo.default_ranges(deck), args.count, seed=1)
    print(f"{args.count} simulations, NT = {deck.NT}, NS = {deck.NS}, {args.workers} threads or workers, "
          f"OMP_NUM_THREADS={os.environ.get('OMP_NUM_THREADS', 'unset')}")
    tables = {}
    for name, way in (("serial", serial), (f"{args.workers} threads", threads)):
        start = time.perf_counter()
        tables[name] = way(deck, draws, args.workers)
        report(name, time.perf_counter() - start, args.count)

    start = time.perf_counter()
    with LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=":0") as cluster, \
            Client(cluster) as client:
        client.wait_for_workers(args.workers)
        print(f"{'cluster start-up':<28} {time.perf_counter() - start:10.2f} s")
        start = time.perf_counter()
        tables["cluster"], _ = sweep.run(client, deck, draws, show_progress=False)
        report(f"LocalCluster, {args.workers} workers", time.perf_counter() - start, args.count)

    same = all(np.array_equal(t, tables["serial"], equal_nan=True) for t in tables.values())
    print("every way gives the same table" if same else "THE TABLES DIFFER")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
