"""Errors as Python exceptions: DeckError with the line at fault for a deck
that cannot be read, ValueError with the check's message for one that fails a
check or overflows the model."""
import re

import pytest

import kesta
from conftest import SOURCE

DECK = SOURCE / "examples" / "unit-step-confined.dat"
LINES = DECK.read_text().splitlines(keepends=True)


def with_line(number, text):
    """The unit-step deck with its line `number` (from 1) replaced by `text`."""
    lines = list(LINES)
    lines[number - 1] = text + "\n"
    return "".join(lines)


@pytest.mark.parametrize(
    "text,line,words",
    [
        ("", 0, "empty"),
        ("".join(LINES[:1]), 1, "line 2 (TITLE2) is missing"),
        ("".join(LINES[:5]), 5, "line 6 (AK  AS  AB) is missing"),
        ("".join(LINES[:12]), 12, "time-stress line 3 of 4"),
        (with_line(3, "0 one 1"), 3, "ISTRESS  DELT  IPRINT"),
        (with_line(6, "1.0 1.0"), 6, "AK  AS  AB"),
        (with_line(6, "1.0 1e999 1.0"), 6, "AK  AS  AB"),
        (with_line(10, "99999999999"), 10, "NT"),
        (with_line(13, "2.0 x 0.0"), 13, "time-stress line 3 of 4"),
    ],
    ids=["empty", "ends-in-titles", "ends-before-line-6", "ends-in-series", "word-for-number",
         "too-few-values", "overflow", "integer-overflow", "word-in-series"],
)
def test_unreadable_deck_text_names_its_line(text, line, words):
    with pytest.raises(kesta.DeckError, match=re.escape(words)) as raised:
        kesta.parse_deck(text)
    assert raised.value.line == line


def test_unreadable_deck_file_is_a_deck_error_too(tmp_path):
    broken = tmp_path / "broken.dat"
    broken.write_text(with_line(7, "0.0 0.0 zero 0.0"))
    with pytest.raises(kesta.DeckError, match="line 7 of .*broken.dat") as raised:
        kesta.read_deck(broken)
    assert raised.value.line == 7
    with pytest.raises(kesta.DeckError, match="file not found.*missing.dat") as raised:
        kesta.read_deck(tmp_path / "missing.dat")
    assert raised.value.line == 0
    assert isinstance(raised.value, ValueError)


@pytest.mark.parametrize(
    "name,value,words",
    [
        ("ISTRESS", 3, "ISTRESS"), ("DELT", 0.0, "(DELT)"), ("IXL", 2, "(IXL)"),
        ("IAQ", 4, "(IAQ)"), ("XZERO", -1.0, "(XZERO)"), ("AK", 0.0, "INPUT LINE 6"),
        ("AB", -2.0, "INPUT LINE 6"), ("X", 0.5, "(X LESS THAN XZERO)"), ("NS", 21, "(NS)"),
        ("NT", 5, "TIME HOLDS 4 VALUES WHERE NT IS 5"), ("IXA", 1, "(XAA)"),
    ],
)
def test_failed_check_is_a_value_error_with_its_message(name, value, words):
    deck = kesta.read_deck(DECK)
    assert kesta.first_problem(deck) is None
    setattr(deck, name, value)
    message = kesta.first_problem(deck)
    assert words in message and message.endswith(("PROGRAM STOPPED.", "PROGRAM STOPPED"))
    with pytest.raises(ValueError) as raised:
        kesta.simulate(deck)
    assert not isinstance(raised.value, kesta.DeckError)
    assert str(raised.value) == message


def test_overflowing_parameters_are_a_value_error():
    deck = kesta.read_deck(DECK)
    deck.AK, deck.AS = 1e300, 1e-300  # passes every check, but the time step overflows
    assert kesta.first_problem(deck) == (
        "DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2)) IS NOT A FINITE NUMBER. CHECK AK, AS, XZERO AND DELT. "
        "PROGRAM STOPPED.")
    with pytest.raises(ValueError) as raised:
        kesta.simulate(deck)
    assert str(raised.value) == kesta.first_problem(deck)
