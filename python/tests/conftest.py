"""Paths shared by the module's tests: the source tree, the example decks and
their golden plot files, the C++ helper, and the sweep and cluster-fit
examples on sys.path."""
import os
import pathlib
import sys

import pytest

SOURCE = pathlib.Path(os.environ.get("KESTA_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
EXAMPLES = sorted((SOURCE / "examples").glob("*.dat"))
sys.path.insert(0, str(SOURCE / "examples" / "sweep"))
sys.path.insert(0, str(SOURCE / "examples" / "fit"))


def example_ids():
    return [path.stem for path in EXAMPLES]


@pytest.fixture
def simulate_hex():
    """The C++ helper that prints the library's results as hexadecimal floats."""
    helper = os.environ.get("KESTA_SIMULATE_HEX")
    if not helper or not os.path.exists(helper):
        pytest.skip("KESTA_SIMULATE_HEX names no built helper (run the tests through CTest)")
    return helper
