"""The Monte Carlo sweep: its draws, its table, its options, and the same table
from a LocalCluster of two worker processes as from a plain serial loop."""
import csv
import math
import multiprocessing

import numpy as np
import pytest

import kesta
import montecarlo
import sweep
from conftest import SOURCE

DECK = SOURCE / "examples" / "flood-wave-streambank.dat"


def plain_loop(deck, draws):
    """The table the sweep must give, one simulation after another."""
    rows = []
    for i, (ak, as_, xaa) in enumerate(draws):
        deck = deck.copy()
        deck.AK, deck.AS, deck.XAA = ak, as_, xaa
        r = kesta.simulate(deck, inversion="contour")
        peak = int(np.argmax(r.head))
        rows.append([i, ak, as_, xaa, r.head[peak], r.time[peak], max(0.0, -r.seepage.min()), r.bank_storage.max()])
    return rows


def read_table(path):
    with open(path, newline="") as table:
        lines = list(csv.reader(table))
    return lines[0], [[float(v) for v in line] for line in lines[1:]]


def test_local_cluster_of_two_processes_gives_the_serial_table(tmp_path):
    out = tmp_path / "sweep.csv"
    argv = [str(DECK), "--draws", "300", "--seed", "7", "--out", str(out), "--workers", "2",
            "--batch", "23", "--no-progress"]
    assert sweep.main(argv) == 0
    assert multiprocessing.active_children() == []  # the workers are gone
    deck = kesta.read_deck(DECK)
    draws = montecarlo.draw(montecarlo.default_ranges(deck), 300, 7)
    header, rows = read_table(out)
    assert header == list(montecarlo.COLUMNS)
    assert rows == plain_loop(deck, draws)


@pytest.mark.parametrize("ranges", [
    {"AK": (1.0, 10.0), "AS": (1e-6, 1e-4), "XAA": (60.0, 60.0)},
    {"AK": (0.5, 0.5), "AS": (2e-5, 3e-5), "XAA": (0.0, 0.0)},
])
def test_draws_stay_in_their_ranges_and_follow_the_seed(ranges):
    draws = montecarlo.draw(ranges, 4000, seed=11)
    assert draws.shape == (4000, 3)
    for column, name in enumerate(montecarlo.PARAMETERS):
        low, high = ranges[name]
        values = draws[:, column]
        assert values.min() >= low and values.max() <= high
        if low < high:
            # Uniform in the logarithm: half the draws below the geometric mean.
            assert abs(np.mean(values < math.sqrt(low * high)) - 0.5) < 0.03
    assert np.array_equal(draws, montecarlo.draw(ranges, 4000, seed=11))
    assert not np.array_equal(draws, montecarlo.draw(ranges, 4000, seed=12))


def test_rejected_draws_hold_nan_and_say_why():
    deck = kesta.read_deck(DECK)
    draws = np.array([[3.0, 5e-5, 60.0], [1e300, 1e-300, 60.0], [2.0, 4e-5, 60.0]])
    rows, problems = montecarlo.simulate_batch(deck, 100, draws)
    assert rows[:, 0].tolist() == [100, 101, 102]
    assert np.isnan(rows[1, 4:]).all() and not np.isnan(rows[[0, 2], 4:]).any()
    assert [draw for draw, _ in problems] == [101] and "NOT A FINITE NUMBER" in problems[0][1]


def test_table_reads_back_to_the_same_doubles_and_replaces_the_old(tmp_path):
    out = tmp_path / "table.csv"
    out.write_text("an older table\n")
    rows = np.array([[0, 0.1 + 0.2, 1e-300, 0.0, -1.5, 2.9000000000000004, 0.0, math.nan]])
    montecarlo.write_csv(out, rows)
    header, back = read_table(out)
    assert header == list(montecarlo.COLUMNS)
    assert np.array_equal(np.array(back), rows, equal_nan=True)
    assert [p.name for p in tmp_path.iterdir()] == ["table.csv"]


@pytest.mark.parametrize("extra,status", [
    (["--ak", "2", "1"], 2), (["--as", "0", "1e-4"], 2), (["--xaa", "1", "inf"], 2), (["--draws", "0"], 2),
    (["--spread", "1"], 2), (["--workers", "0"], 2), (["--batch", "0"], 2),
])
def test_wrong_options_stop_before_any_cluster(tmp_path, extra, status):
    argv = [str(DECK), "--draws", "10", "--out", str(tmp_path / "t.csv")] + extra
    with pytest.raises(SystemExit) as stopped:
        sweep.main(argv)
    assert stopped.value.code == status
    assert not (tmp_path / "t.csv").exists()


@pytest.mark.parametrize("deck_text,words", [
    ("no deck at all\n", "ends after line 1"),
    (DECK.read_text().replace("3.0  5.0E-5", "-3.0  5.0E-5"), "LESS THAN OR EQUAL TO ZERO"),
])
def test_bad_deck_is_status_1(tmp_path, capsys, deck_text, words):
    deck = tmp_path / "deck.dat"
    deck.write_text(deck_text)
    assert sweep.main([str(deck), "--draws", "10", "--out", str(tmp_path / "t.csv")]) == 1
    assert words in capsys.readouterr().err
    assert not (tmp_path / "t.csv").exists()
