"""Simulations on four threads at once give the arrays they give one by one."""
import threading

import kesta
from conftest import SOURCE

COLUMNS = ["time", "head", "seepage", "total_seepage", "bank_storage", "bank_volume"]
NAMES = ["flood-wave-confined", "flood-wave-streambank", "leaky-impervious-layer", "water-table-stage-and-recharge"]


def as_bytes(results):
    return [getattr(results, name).tobytes() for name in COLUMNS]


def on_threads(work, count):
    """Runs work(i) on `count` threads released together; returns their results by i."""
    start = threading.Barrier(count)
    out = [None] * count
    failures = []

    def run(i):
        start.wait()
        try:
            out[i] = work(i)
        except Exception as error:  # reported in the test's own thread
            failures.append(error)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(count)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []
    return out


def test_four_decks_on_four_threads():
    decks = [kesta.read_deck(SOURCE / "examples" / f"{name}.dat") for name in NAMES]
    alone = [as_bytes(kesta.simulate(deck)) for deck in decks]
    for _ in range(3):
        together = on_threads(lambda i: as_bytes(kesta.simulate(decks[i])), 4)
        assert together == alone
