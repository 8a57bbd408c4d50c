"""Deck values: attributes under the deck's names, series as arrays, and every
way a deck goes out and comes back (text, copies, pickles)."""
import copy
import pickle

import numpy as np
import pytest

import kesta
from conftest import EXAMPLES, example_ids

# A value of each attribute's type that no example deck holds.
VALUES = [
    ("TITLE1", "Weir on the lower reach"), ("TITLE2", "metres and days"),
    ("ISTRESS", 2), ("DELT", 0.25), ("IPRINT", 1), ("IXL", 1), ("IAQ", 3), ("IXA", 1),
    ("XZERO", 7.5), ("XLL", 310.0), ("XAA", 42.5), ("XSTREAM", 1234.5),
    ("AK", 0.1 + 0.2), ("AS", 3.3e-6), ("AB", 21.0), ("AKT", 1e-4), ("AST", 2e-5),
    ("ABT", 4.5), ("ASYT", 0.21), ("X", 155.0), ("HINIT", -0.5), ("TINIT", 10.0),
    ("NS", 18), ("NT", 99999),
]


def differs_only_in(a, b):
    return [name for name, _ in VALUES if getattr(a, name) != getattr(b, name)]


def test_a_new_deck_holds_zeros_blank_titles_and_empty_series():
    deck = kesta.Deck()
    assert [deck.TITLE1.strip(), deck.TITLE2.strip()] == ["", ""]
    assert [getattr(deck, name) for name, _ in VALUES[2:]] == [0] * (len(VALUES) - 2)
    assert [len(deck.TIME), len(deck.STAGE), len(deck.RECH)] == [0, 0, 0]


@pytest.mark.parametrize("name,value", VALUES)
def test_each_value_reads_back_and_survives_copies(name, value):
    deck = kesta.read_deck(EXAMPLES[0])
    before = deck.copy()
    setattr(deck, name, value)
    assert getattr(deck, name) == value
    assert type(getattr(deck, name)) is type(value)
    assert differs_only_in(deck, before) == [name]
    for again in (deck.copy(), copy.copy(deck), copy.deepcopy(deck), pickle.loads(pickle.dumps(deck))):
        assert getattr(again, name) == value
        assert again == deck


@pytest.mark.parametrize("path", EXAMPLES, ids=example_ids())
def test_file_text_written_text_and_pickle_agree(path):
    deck = kesta.read_deck(path)
    assert deck == kesta.read_deck(str(path))
    assert deck == kesta.parse_deck(path.read_text())
    assert deck == kesta.parse_deck(kesta.write_deck(deck))
    assert deck == pickle.loads(pickle.dumps(deck))
    assert deck.STAGE.dtype == np.float64 and deck.STAGE.ndim == 1
    assert len(deck.TIME) == len(deck.STAGE) == len(deck.RECH) == deck.NT


def test_changed_values_written_as_text_read_back_exactly():
    deck = kesta.read_deck(EXAMPLES[0])
    for name, value in VALUES:
        if name not in ("NT", "TITLE1", "TITLE2"):
            setattr(deck, name, value)
    deck.STAGE = deck.STAGE * (1.0 / 3.0)  # values with no short decimal form
    back = kesta.parse_deck(kesta.write_deck(deck))
    assert back == deck
    assert back.STAGE.tobytes() == deck.STAGE.tobytes()


def test_series_in_place_and_replaced():
    deck = kesta.read_deck(EXAMPLES[0])
    stage = deck.STAGE
    stage[1] = 9.5  # the attribute is the deck's own array
    assert deck.STAGE[1] == 9.5
    source = np.arange(deck.NT, dtype=np.float64)
    deck.RECH = source
    source[0] = -1.0  # the deck took a copy
    assert deck.RECH[0] == 0.0
    deck.TIME = list(range(deck.NT))  # any sequence of numbers becomes float64
    assert deck.TIME.dtype == np.float64 and deck.TIME[-1] == deck.NT - 1


def test_copies_do_not_share_series():
    deck = kesta.read_deck(EXAMPLES[0])
    for other in (deck.copy(), copy.copy(deck), copy.deepcopy(deck), pickle.loads(pickle.dumps(deck))):
        other.STAGE[-1] += 1.0
        assert other != deck
        other.STAGE[-1] -= 1.0
        assert other == deck


@pytest.mark.parametrize(
    "name,value,error",
    [
        ("NT", 1.5, TypeError), ("NT", "81", TypeError), ("NT", 2**31, TypeError),
        ("AK", "3.0", TypeError), ("AK", None, TypeError), ("TITLE1", 3, TypeError),
        ("STAGE", [[0.0, 1.0], [2.0, 3.0]], ValueError), ("STAGE", 1.0, ValueError),
        ("STAGE", ["high", "low"], TypeError), ("ak", 3.0, AttributeError),
    ],
)
def test_wrong_values_are_refused_and_leave_the_deck(name, value, error):
    deck = kesta.read_deck(EXAMPLES[0])
    before = deck.copy()
    with pytest.raises(error, match=name if error is not AttributeError else None):
        setattr(deck, name, value)
    assert deck == before


def test_title_bytes_that_are_not_utf8_survive(tmp_path):
    # A Latin-1 "Ü" and a UTF-8 "é": the program keeps a title's bytes as they are.
    title = b"\xdcberlingen weir, caf\xc3\xa9"
    raw = title + b"\n" + b"".join(EXAMPLES[-1].read_bytes().splitlines(keepends=True)[1:])
    (tmp_path / "deck.dat").write_bytes(raw)
    deck = kesta.read_deck(tmp_path / "deck.dat")
    assert deck.TITLE1.rstrip().endswith("weir, café")
    assert deck == kesta.parse_deck(raw) == pickle.loads(pickle.dumps(deck))
    written = kesta.write_deck(deck).encode("utf-8", "surrogateescape")
    assert written.startswith(title) and kesta.parse_deck(written) == deck
    deck.TITLE2 = deck.TITLE1
    assert kesta.write_deck(deck).encode("utf-8", "surrogateescape").splitlines()[1].startswith(title)
