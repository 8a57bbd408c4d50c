"""Every way the module refuses an argument, each with its exact class and
message: paths where text belongs, complex numbers, series that disagree with
NT, values no deck file holds, changed results; what first_problem says of
values that are not finite numbers; and every public type through every
pickle protocol."""
import math
import pathlib
import pickle

import numpy as np
import pytest

import kesta
from conftest import SOURCE

DECK = SOURCE / "examples" / "flood-wave-confined.dat"
LONGER = "STAGE HOLDS 82 VALUES WHERE NT IS 81. PROGRAM STOPPED."
OVERFLOW = ("HEAD AT TIME STEP 4 IS NOT A FINITE NUMBER. CHECK HINIT, THE STAGE AND RECHARGE DATA AND THE "
            "AQUIFER PROPERTIES. PROGRAM STOPPED.")


def changed(**values):
    """The example deck with some values changed."""
    deck = kesta.read_deck(DECK)
    for name, value in values.items():
        setattr(deck, name, value)
    return deck


def longer_stage():
    """STAGE one value longer than NT: assigned while NT was one more, then NT put back."""
    deck = kesta.read_deck(DECK)
    deck.NT += 1
    deck.STAGE = np.append(deck.STAGE, 1.0)
    deck.NT -= 1
    return deck


def overflowing_stage():
    deck = kesta.read_deck(DECK)
    deck.STAGE[3], deck.STAGE[4] = 1e308, -1e308
    return deck


def assign(target, name, value):
    return lambda tmp: setattr(target(), name, value)


def change_entry(array):
    def act(tmp):
        values = array()
        values[10] = 99.0
    return act


# (what is done given a scratch folder, the exception's class, its exact message)
REFUSALS = {
    "parse_deck of a path": (
        lambda tmp: kesta.parse_deck(pathlib.Path(DECK)), TypeError,
        "parse_deck takes the deck's text as str or bytes, not PosixPath; read_deck(path) reads a deck file"),
    "parse_deck of None": (
        lambda tmp: kesta.parse_deck(None), TypeError,
        "parse_deck takes the deck's text as str or bytes, not NoneType; read_deck(path) reads a deck file"),
    "parse_deck of a bad line": (
        lambda tmp: kesta.parse_deck("a title\nanother\n0 0.1 x\n"), kesta.DeckError,
        "line 3 of the deck text (ISTRESS  DELT  IPRINT) holds a value that is not a number"),
    "read_deck of a number": (
        lambda tmp: kesta.read_deck(3), TypeError,
        "read_deck takes the deck file's path as str, bytes or os.PathLike, not int"),
    "read_deck of a folder": (
        lambda tmp: kesta.read_deck(tmp), kesta.DeckError,
        "cannot open the deck: open failure, unit 15, file {tmp}: the input deck is a folder, not a file"),
    "read_deck of a missing file": (
        lambda tmp: kesta.read_deck(tmp / "missing.dat"), kesta.DeckError,
        "cannot open the deck: file not found, unit 15, file {tmp}/missing.dat"),
    "a complex AK": (assign(changed, "AK", 3 + 1j), TypeError, "AK takes a real number, not complex"),
    "a numpy complex AK": (
        assign(changed, "AK", np.complex64(3)), TypeError, "AK takes a real number, not complex64"),
    "AK as text": (assign(changed, "AK", "3.0"), TypeError, "AK takes a real number, not str"),
    "a fractional NT": (
        assign(changed, "NT", 1.5), TypeError, "NT takes an integer from -2147483648 to 2147483647, not float"),
    "a numeric title": (assign(changed, "TITLE1", 3), TypeError, "TITLE1 takes text, not int"),
    "a complex STAGE": (
        assign(changed, "STAGE", np.zeros(81) + 0.5j), TypeError, "STAGE takes real numbers, not complex numbers"),
    "a list with a complex stage": (
        assign(changed, "STAGE", [0.0, 1j]), TypeError, "STAGE takes real numbers, not complex numbers"),
    "STAGE as words": (assign(changed, "STAGE", ["1.0", "2.0"]), TypeError, "STAGE takes real numbers, not text"),
    "a RECH holding None": (
        assign(changed, "RECH", [0.0, None]), TypeError, "RECH takes real numbers, not values of type object"),
    "a STAGE of two dimensions": (
        assign(changed, "STAGE", [[0.0, 1.0], [2.0, 3.0]]), ValueError, "STAGE must be one-dimensional"),
    "write_deck of NT beyond the series": (
        lambda tmp: kesta.write_deck(changed(NT=200)), ValueError,
        "cannot write the deck: TIME holds 81 values where NT is 200 (a deck holds NT time-stress lines)"),
    "write_deck of a longer STAGE": (
        lambda tmp: kesta.write_deck(longer_stage()), ValueError,
        "cannot write the deck: STAGE holds 82 values where NT is 81 (a deck holds NT time-stress lines)"),
    "write_deck of an unused nan": (
        lambda tmp: kesta.write_deck(changed(XLL=math.nan)), ValueError,
        "cannot write the deck: XLL is nan (a deck holds finite numbers only)"),
    "simulate of a longer STAGE": (lambda tmp: kesta.simulate(longer_stage()), ValueError, LONGER),
    "inversion_error of a longer STAGE": (lambda tmp: kesta.inversion_error(longer_stage()), ValueError, LONGER),
    "recommend_ns of a longer STAGE": (lambda tmp: kesta.recommend_ns(longer_stage()), ValueError, LONGER),
    "simulate of too many steps, before the series' length": (
        lambda tmp: kesta.simulate(changed(NT=100000)), ValueError,
        "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED. "
        "The contour inversion accepts up to 10000000 time steps."),
    "simulate of a failed check": (
        lambda tmp: kesta.simulate(changed(AS=0.0)), ValueError,
        "A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."),
    "simulate of overflowing stages": (lambda tmp: kesta.simulate(overflowing_stage()), ValueError, OVERFLOW),
    "inversion_error of overflowing stages": (
        lambda tmp: kesta.inversion_error(overflowing_stage()), ValueError, OVERFLOW),
    "recommend_ns of overflowing stages": (
        lambda tmp: kesta.recommend_ns(overflowing_stage()), ValueError, OVERFLOW),
    "a head changed in the results": (
        change_entry(lambda: kesta.simulate(changed()).head), ValueError, "assignment destination is read-only"),
    "a head error changed": (
        change_entry(lambda: kesta.inversion_error(changed()).head), ValueError,
        "assignment destination is read-only"),
}


@pytest.mark.parametrize("what", REFUSALS)
def test_each_refusal_has_its_class_and_words(what, tmp_path):
    act, error, message = REFUSALS[what]
    with pytest.raises(Exception) as raised:
        act(tmp_path)
    assert type(raised.value) is error
    assert str(raised.value) == message.format(tmp=tmp_path)


@pytest.mark.parametrize(
    "function", ["write_deck", "first_problem", "derived", "simulate", "inversion_error", "recommend_ns"])
def test_functions_of_a_deck_take_only_a_deck(function):
    with pytest.raises(TypeError, match=rf"^{function}\(\): incompatible function arguments"):
        getattr(kesta, function)(str(DECK))


NOT_FINITE = [
    ("AK", {}), ("HINIT", {}), ("TINIT", {}), ("XSTREAM", {}), ("DELT", {}), ("X", {}),
    ("XLL", {"IXL": 1}), ("XAA", {"IXA": 1}),
]


@pytest.mark.parametrize("value", [math.nan, math.inf, -math.inf], ids=["nan", "inf", "-inf"])
@pytest.mark.parametrize("name,codes", NOT_FINITE, ids=[name for name, _ in NOT_FINITE])
def test_first_problem_says_what_simulate_raises(name, codes, value):
    deck = changed(**codes, **{name: value})
    with pytest.raises(ValueError) as raised:
        kesta.simulate(deck)
    assert type(raised.value) is ValueError
    assert kesta.first_problem(deck) == str(raised.value) == f"{name} IS NOT A FINITE NUMBER. PROGRAM STOPPED."


def test_values_the_codes_switch_off_are_not_problems():
    deck = changed(XLL=math.nan, XAA=math.inf, AKT=math.nan)  # IXL = IXA = IAQ = 0
    deck.RECH[5] = math.nan  # ISTRESS = 0: stage changes alone
    assert kesta.first_problem(deck) is None
    assert np.isfinite(kesta.simulate(deck).head).all()


def pickled_kinds():
    deck = kesta.read_deck(DECK)
    error = kesta.DeckError("line 3 of the deck text holds a value that is not a number")
    error.line = 3
    case_error = kesta.CaseError("stage: reading 2023-05-01 02:00:00: the time repeats")
    case_error.file, case_error.reading, case_error.position = "stage", "2023-05-01 02:00:00", 2
    return {
        "Deck": deck, "Results": kesta.simulate(deck), "Derived": kesta.derived(deck),
        "InversionError": kesta.inversion_error(deck), "NsAdvice": kesta.recommend_ns(deck), "DeckError": error,
        "Case": kesta.read_case(SOURCE / "examples" / "tidal-levee" / "levee.toml"), "CaseError": case_error,
    }


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_every_public_type_pickles_under_every_protocol(protocol):
    kinds = pickled_kinds()
    assert set(kinds) == {name for name in dir(kesta) if isinstance(getattr(kesta, name), type)}
    for name, thing in kinds.items():
        again = pickle.loads(pickle.dumps(thing, protocol))
        assert type(again) is type(thing), name
        if name == "DeckError":
            assert (str(again), again.line) == (str(thing), thing.line)
            continue
        if name == "CaseError":
            kept = ("file", "line", "reading", "position")
            assert [str(again)] + [getattr(again, k) for k in kept] == [str(thing)] + [getattr(thing, k) for k in kept]
            continue
        assert again == thing, name
        for array in ("head", "seepage"):
            if hasattr(thing, array) and name != "Deck":
                assert not getattr(again, array).flags.writeable, name
    kinds["Deck"].AK *= 2.0
    assert pickle.loads(pickle.dumps(kinds["Deck"], protocol)) != pickled_kinds()["Deck"]
