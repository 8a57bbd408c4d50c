#!/usr/bin/env python3
"""A fit whose ensemble bands are simulated on a Dask cluster.

    cluster_fit.py FIT --ensemble N [--scheduler tcp://HOST:8786] [--workers W]

The fit itself and its linear bands run here, as kesta-fit runs them; the N
members of the ensemble are simulated on the cluster's workers, and the bands
file is byte for byte the one kesta-fit --ensemble N writes. Without
--scheduler the members go to a LocalCluster of this machine's cores; with
it, to the cluster behind that scheduler, whose workers need the kesta module
installed. The outputs are written beside the fit file, as kesta-fit writes
them.

Exit status, as kesta-fit's: 0 the fit stands; 1 it is not to be taken as it
stands (not converged, a value not identifiable, a gross outlier) or could not
be computed; 2 bad input or wrong options, or a scheduler that does not
answer; 3 the outputs could not be written.
"""
import argparse
import os
import sys

from dask.distributed import Client, LocalCluster

import kesta

# The checks a fit's estimates rest on: any that fails makes the status 1.
DECISIVE = ("converged", "identifiable", "no gross outliers")


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("fit_file", help="the fit file (.toml)")
    parser.add_argument("--ensemble", type=int, required=True, help="parameter sets drawn (20 to 100000)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, e.g. tcp://HOST:8786")
    parser.add_argument("--workers", type=int, default=os.cpu_count(),
                        help="worker processes of the local cluster (default: one per core)")
    args = parser.parse_args(argv)
    if args.workers < 1:
        parser.error("--workers takes a whole number of at least 1")
    return args


def summary(report):
    """The estimates, what the ensemble gave and where the outputs went."""
    lines = [f"{report['fit_file']}: {'converged' if report['converged'] else 'NOT converged'}"]
    for name, p in report["parameters"].items():
        interval = p["ci95"]
        within = f" (95 %: {interval[0]:.6g} to {interval[1]:.6g})" if interval else ""
        lines.append(f"{name} = {p['estimate']:.6g}{within}")
    e = report["bands"].get("ensemble")
    if e is not None:
        if e["not_computed"]:
            lines.append(f"ensemble: no bands ({e['not_computed']})")
        else:
            doubted = [c["series"] for c in e["comparison"] if not c["linear_trusted"]]
            lines.append(f"ensemble: {e['used']} of {e['members']} members simulated; the linear bands "
                         + (f"are not to be trusted for {', '.join(doubted)}" if doubted else "agree with them"))
    for c in report["checks"]:
        if not c["pass"]:
            lines.append(f"FAIL {c['check']}: {c['detail']}")
    if report.get("files_written", True):
        lines.append("written: " + ", ".join(report["files"].values()))
    else:
        lines.append("not written: " + "; ".join(report.get("files_not_written", [])))
    return "\n".join(lines)


def status(report):
    if not report.get("files_written", True):
        return 3
    failed = {c["check"] for c in report["checks"] if not c["pass"]}
    return 1 if failed.intersection(DECISIVE) else 0


def fit_on(client_or_address, args):
    try:
        report = kesta.fit(args.fit_file, ensemble=args.ensemble, scheduler=client_or_address)
    except ValueError as error:
        print(f"cluster_fit: {error}", file=sys.stderr)
        return 2
    except OSError as error:
        print(f"cluster_fit: {error}", file=sys.stderr)
        return 2 if "scheduler" in str(error) else 3
    except RuntimeError as error:
        print(f"cluster_fit: {error}", file=sys.stderr)
        return 1
    print(summary(report))
    return status(report)


def main(argv=None):
    args = parse_args(argv)
    if args.scheduler:
        return fit_on(args.scheduler, args)
    with LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=":0") as cluster, \
            Client(cluster) as client:
        return fit_on(client, args)


if __name__ == "__main__":
    sys.exit(main())
