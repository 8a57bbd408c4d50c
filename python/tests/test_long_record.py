"""Records longer than the Stehfest sum takes: each inversion's step limit in
first_problem and simulate."""
import numpy as np
import pytest

import kesta
from conftest import SOURCE

DECK = SOURCE / "examples" / "flood-wave-confined.dat"
STEHFEST_LIMIT = "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED."
REMEDY = " The contour inversion accepts up to 10000000 time steps."


def with_steps(nt, whole_series):
    """The example deck with NT steps; series of NT zeros, or left at the example's 81."""
    deck = kesta.read_deck(DECK)
    deck.NT = nt
    if whole_series:
        deck.TIME = deck.STAGE = deck.RECH = np.zeros(nt)
    return deck


# (NT, inversion, whole series, first_problem's text). Ten million steps get
# short series: the series' own message shows that the count was taken.
CASES = [
    (kesta.NTLIMIT, "stehfest", True, None),
    (kesta.NTLIMIT + 1, "stehfest", True, STEHFEST_LIMIT + REMEDY),
    (kesta.NTLIMIT_CONTOUR + 1, "stehfest", False, STEHFEST_LIMIT),
    (kesta.NTLIMIT + 1, "contour", True, None),
    (kesta.NTLIMIT_CONTOUR, "contour", False, "TIME HOLDS 81 VALUES WHERE NT IS 10000000. PROGRAM STOPPED."),
    (kesta.NTLIMIT_CONTOUR + 1, "contour", False, "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 10000000. PROGRAM STOPPED."),
]


@pytest.mark.parametrize("nt,inversion,whole,message", CASES)
def test_each_inversion_takes_up_to_its_limit(nt, inversion, whole, message):
    deck = with_steps(nt, whole)
    assert kesta.first_problem(deck, inversion=inversion) == message
    if message is None:
        return  # a whole run is timed by the program's tests
    with pytest.raises(ValueError) as refused:
        kesta.simulate(deck, inversion=inversion)
    assert str(refused.value) == message

