"""simulate(deck) against the plot file the program writes for every example
(to the printed digits) and against the C++ library (bit for bit)."""
import re
import subprocess

import numpy as np
import pytest

import kesta
from conftest import EXAMPLES, SOURCE, example_ids

COLUMNS = ["time", "head", "seepage", "total_seepage", "bank_storage", "bank_volume"]
PRINTED = re.compile(r"^(-?)(\d*)\.(\d+)E([-+]\d+)$")


def printed(field):
    """A printed number and half a unit in its last printed digit."""
    match = PRINTED.match(field)
    assert match, f"not a plot-file number: {field}"
    decimals = len(match.group(3))
    exponent = int(match.group(4))
    return float(field), 0.5 * 10.0 ** (exponent - decimals)


def golden_plot(name):
    lines = (SOURCE / "tests" / "golden" / f"{name}.plot.txt").read_text().splitlines()
    return [[printed(field) for field in line.split()] for line in lines[1:]]


def library_results(helper, deck_path, inversion="stehfest"):
    """The C++ library's results for a deck file, read back from hexadecimal floats."""
    command = [helper, str(deck_path)] + (["contour"] if inversion == "contour" else [])
    run = subprocess.run(command, capture_output=True, text=True, check=True)
    rows = [[float.fromhex(field) for field in line.split()] for line in run.stdout.splitlines()]
    return np.array(rows, dtype=np.float64).T


@pytest.mark.parametrize("path", EXAMPLES, ids=example_ids())
def test_matches_the_plot_file_to_its_printed_digits(path):
    results = kesta.simulate(kesta.read_deck(path))
    rows = golden_plot(path.stem)
    assert len(results) == len(rows)
    for column, name in enumerate(COLUMNS):
        simulated = getattr(results, name)
        # The printed number is the correctly rounded value; the slack covers the
        # rounding of the decimal number and its half unit into doubles.
        off = [k for k, row in enumerate(rows)
               if abs(simulated[k] - row[column][0]) > row[column][1] * (1 + 1e-9)]
        assert off == [], f"{name} differs from the plot file at steps {off[:5]}"


@pytest.mark.parametrize("inversion", [None, "stehfest", "contour"])
@pytest.mark.parametrize("path", EXAMPLES, ids=example_ids())
def test_bit_for_bit_the_libraries_values(path, simulate_hex, inversion):
    deck = kesta.read_deck(path)
    results = kesta.simulate(deck) if inversion is None else kesta.simulate(deck, inversion=inversion)
    expected = library_results(simulate_hex, path, inversion or "stehfest")
    for name, column in zip(COLUMNS, expected):
        simulated = getattr(results, name)
        assert simulated.dtype == np.float64 and simulated.flags.c_contiguous
        assert simulated.tobytes() == column.tobytes(), name


@pytest.mark.parametrize("name,factor", [("AK", 2.0), ("AS", 0.5), ("X", 1.5), ("XAA", 3.0)])
def test_changed_deck_is_the_libraries_deck(tmp_path, simulate_hex, name, factor):
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-streambank.dat")
    before = kesta.simulate(deck)
    setattr(deck, name, getattr(deck, name) * factor)
    changed = kesta.simulate(deck)
    assert not np.array_equal(changed.head, before.head)
    written = tmp_path / "changed.dat"
    written.write_text(kesta.write_deck(deck))
    expected = library_results(simulate_hex, written)
    assert all(getattr(changed, n).tobytes() == c.tobytes() for n, c in zip(COLUMNS, expected))


def test_series_changed_in_place_are_simulated():
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-confined.dat")
    doubled = deck.copy()
    doubled.STAGE *= 2.0
    # Stage enters linearly and the initial head is 0: twice the stage, twice the head.
    np.testing.assert_allclose(kesta.simulate(doubled).head, 2.0 * kesta.simulate(deck).head, rtol=1e-12, atol=1e-300)


@pytest.mark.parametrize("inversion", ["Contour", "", "gaver"])
def test_an_unknown_inversion_is_refused_with_the_allowed_ones(inversion):
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-confined.dat")
    with pytest.raises(ValueError, match=f"unknown inversion '{inversion}': .*'stehfest' and 'contour'"):
        kesta.simulate(deck, inversion=inversion)
