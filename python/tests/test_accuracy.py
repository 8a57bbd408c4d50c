"""kesta.inversion_error and kesta.recommend_ns: the inversion's own error as
arrays, judged by two orders agreeing on the exact values, and the advised order."""
import numpy as np
import pytest

import kesta
from conftest import SOURCE

DECKS = ["flood-wave-confined", "flood-wave-streambank"]


def at_ns(deck, ns):
    changed = deck.copy()
    changed.NS = ns
    return changed


@pytest.mark.parametrize("name", DECKS)
def test_printed_less_error_is_the_same_exact_value_at_every_order(name):
    deck = kesta.read_deck(SOURCE / "examples" / f"{name}.dat")
    exact = {}
    for ns in (8, 16):
        changed = at_ns(deck, ns)
        error = kesta.inversion_error(changed)
        results = kesta.simulate(changed)
        assert error.NS == ns
        for series in (error.head, error.seepage):
            assert series.dtype == np.float64 and len(series) == deck.NT
            assert series[0] == 0.0  # the initial state is not inverted
        exact[ns] = (results.head - error.head, results.seepage - error.seepage)
        if ns == 8:
            size = np.abs(error.head).max()
            assert size > 0.0
    # The estimate is good to about 1e-12 of the stress: both orders, corrected,
    # agree far closer than NS = 8's own error.
    np.testing.assert_allclose(exact[8][0], exact[16][0], rtol=0, atol=1e-3 * size)
    np.testing.assert_allclose(exact[8][1], exact[16][1], rtol=0,
                               atol=1e-3 * np.abs(kesta.inversion_error(at_ns(deck, 8)).seepage).max())


@pytest.mark.parametrize("name", DECKS)
def test_recommended_order_errs_less_than_the_fewest_terms(name):
    deck = kesta.read_deck(SOURCE / "examples" / f"{name}.dat")
    advice = kesta.recommend_ns(deck)
    assert 6 <= advice.NS <= 18 and advice.values_off >= 0
    worst = {ns: np.abs(kesta.inversion_error(at_ns(deck, ns)).head).max() for ns in (6, advice.NS)}
    assert worst[advice.NS] < worst[6]
    assert f"NS={advice.NS}" in repr(advice)


def test_a_rejected_deck_raises_the_checks_message():
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-confined.dat")
    deck.AS = 0.0
    for call in (kesta.inversion_error, kesta.recommend_ns):
        with pytest.raises(ValueError, match="LESS THAN OR EQUAL TO ZERO"):
            call(deck)
