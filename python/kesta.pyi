"""Head at an observation well, seepage between a stream and a confined or leaky
aquifer, and bank storage, for a series of stream-stage changes."""
import os
from typing import Any, Literal, Optional, Union

import numpy as np
import numpy.typing as npt

__version__: str  # the version of the library and programs it was built with
NTLIMIT: int  # 99999: the most time steps simulate takes with inversion="stehfest"
NTLIMIT_CONTOUR: int  # 10000000: the most with inversion="contour", and the most a deck may hold

_Series = npt.NDArray[np.float64]
_Numbers = Union[npt.ArrayLike, _Series]

class DeckError(ValueError):
    """A deck that cannot be read; line is the line at fault (0: not opened). Pickles with its line."""

    line: int

class CaseError(ValueError):
    """A case file, record, time or kesta.Case argument that cannot be used. file: the
    file, or "stage"/"recharge" for a Series (None for Case's other arguments); line: the
    file's line (0: the file as a whole; None without a file); reading, position: the
    index label and position of a Series' reading at fault (else None)."""

    file: Optional[str]
    line: Optional[int]
    reading: Any
    position: Optional[int]

class Deck:
    """An input deck: every value under its deck name, the series as numpy arrays.

    Setting a value of another type (a complex number among them) raises TypeError;
    a series takes one-dimensional real numbers only (TypeError for complex numbers,
    text or objects, ValueError for more dimensions). A series assigned must hold NT
    values (ValueError naming both lengths: set NT first, then each series). Pickles
    under every protocol."""

    TITLE1: str
    TITLE2: str
    ISTRESS: int
    DELT: float
    IPRINT: int
    IXL: int
    IAQ: int
    IXA: int
    XZERO: float
    XLL: float
    XAA: float
    XSTREAM: float
    AK: float
    AS: float
    AB: float
    AKT: float
    AST: float
    ABT: float
    ASYT: float
    X: float
    HINIT: float
    TINIT: float
    NS: int
    NT: int
    @property
    def TIME(self) -> _Series: ...
    @TIME.setter
    def TIME(self, values: _Numbers) -> None: ...
    @property
    def STAGE(self) -> _Series: ...
    @STAGE.setter
    def STAGE(self, values: _Numbers) -> None: ...
    @property
    def RECH(self) -> _Series: ...
    @RECH.setter
    def RECH(self, values: _Numbers) -> None: ...
    def __init__(self) -> None: ...
    def copy(self) -> Deck: ...
    def __copy__(self) -> Deck: ...
    def __deepcopy__(self, memo: Any) -> Deck: ...
    def __eq__(self, other: object) -> bool: ...

class Results:
    """The arrays of one simulation, NT entries each, read-only. Pickles under every protocol."""

    @property
    def time(self) -> _Series: ...
    @property
    def head(self) -> _Series: ...
    @property
    def seepage(self) -> _Series: ...
    @property
    def total_seepage(self) -> _Series: ...
    @property
    def bank_storage(self) -> _Series: ...
    @property
    def bank_volume(self) -> _Series: ...
    def __len__(self) -> int: ...
    def __eq__(self, other: object) -> bool: ...

class Derived:
    """The dimensionless parameters of a deck. Pickles under every protocol."""

    @property
    def XD(self) -> float: ...
    @property
    def XZEROD(self) -> float: ...
    @property
    def XLLD(self) -> float: ...
    @property
    def XAAD(self) -> float: ...
    @property
    def GAMMA1(self) -> float: ...
    @property
    def SIGMA1(self) -> float: ...
    @property
    def SIGMAP(self) -> float: ...
    def __eq__(self, other: object) -> bool: ...

class InversionError:
    """The Stehfest inversion's own error at every step (printed minus exact), read-only arrays."""

    @property
    def NS(self) -> int: ...
    @property
    def head(self) -> _Series: ...
    @property
    def seepage(self) -> _Series: ...
    def __eq__(self, other: object) -> bool: ...

class NsAdvice:
    """The order that prints a deck's head and seepage nearest to correct."""

    @property
    def NS(self) -> int: ...
    @property
    def values_off(self) -> int: ...
    def __eq__(self, other: object) -> bool: ...

def read_deck(path: Union[str, bytes, os.PathLike[str]]) -> Deck:
    """Reads a deck file as the program does; raises DeckError, TypeError for another type."""

def parse_deck(text: Union[str, bytes]) -> Deck:
    """Reads a deck from text; raises DeckError, TypeError for another type (a path: use read_deck)."""

def write_deck(deck: Deck) -> str:
    """Deck text that reads back to the same values; raises ValueError for series whose
    length is not NT or a value that is not finite."""

def first_problem(deck: Deck, inversion: Literal["stehfest", "contour"] = "stehfest") -> Optional[str]:
    """The message simulate with this inversion would raise before computing (a check, a
    series length, a value that is not finite, an overflowing parameter), or None. NT may
    reach NTLIMIT under "stehfest" and NTLIMIT_CONTOUR under "contour"."""

def derived(deck: Deck) -> Derived:
    """The dimensionless parameters of a deck."""

def simulate(deck: Deck, inversion: Literal["stehfest", "contour"] = "stehfest") -> Results:
    """Simulates the deck without the GIL by the Stehfest sum of NS terms (NT up to
    NTLIMIT) or the contour integral (NT up to NTLIMIT_CONTOUR); raises ValueError for a
    rejected deck or an unknown inversion."""

def inversion_error(deck: Deck) -> InversionError:
    """The inversion's error at the deck's NS; raises ValueError as simulate does."""

def recommend_ns(deck: Deck) -> NsAdvice:
    """The NS from 6 to 18 that prints the deck best; raises ValueError as simulate does."""

def fit(
    path: Union[str, os.PathLike[str]],
    output_dir: Optional[Union[str, os.PathLike[str]]] = None,
    inversion: Optional[Literal["stehfest", "contour"]] = None,
    ensemble: Optional[int] = None,
    predict: Optional[Union[str, os.PathLike[str]]] = None,
    scheduler: Optional[Union[str, Any]] = None,
) -> dict[str, Any]:
    """Runs a fit file as kesta-fit does; the dictionary kesta-fit --json prints.
    predict: a deck or case file (.toml) to run the fitted model on, in place
    of the fit file's [prediction]; "prediction" then holds its bands as
    "bands" does, with "record" and, for a dated case, "date".
    inversion replaces the fit file's (contour unless it says otherwise); the
    dictionary's "inversion" names the one used, "ns" is None with contour.
    ensemble replaces the fit file's bands ensemble (20 to 100000 parameter
    sets, 0 none): "bands" then holds "ensemble" and the _ens_ columns.
    scheduler: a Dask scheduler's address ("tcp://host:8786") or a
    dask.distributed.Client; the ensemble's members are then simulated on that
    cluster, with the same bands byte for byte. OSError for an address that
    does not answer, ImportError without python3-distributed."""

_Time = Union[str, float, Any]  # a date as text, a datetime or pandas Timestamp, or a number in the time unit
_Length = Union[str, float, Any]  # "15 min", "15min", a timedelta, or a number in the time unit

class Case:
    """A case made into the deck the model runs, by a case file's rules: read_case(path),
    or built from pandas Series (a DatetimeIndex, or a numeric index of times in the time
    unit); aquifer= a dict of the case file's [aquifer] keys or a Deck. Raises CaseError."""

    def __init__(
        self,
        *,
        stage: Any = None,
        recharge: Any = None,
        aquifer: Union[dict[str, Any], Deck, None] = None,
        x: Optional[float] = None,
        step: Optional[_Length] = None,
        start: Optional[_Time] = None,
        end: Optional[_Time] = None,
        origin: Optional[_Time] = None,
        datum: Union[Literal["first", "minimum", "relative"], float, None] = None,
        max_gap: Optional[_Length] = None,
        zone: Optional[str] = None,
        units: Optional[dict[str, str]] = None,
        title: Optional[str] = None,
        hinit: Optional[float] = None,
    ) -> None: ...
    @property
    def deck(self) -> Deck: ...
    @property
    def summary(self) -> list[str]: ...
    @property
    def units(self) -> dict[str, str]: ...
    @property
    def zone(self) -> str: ...
    @property
    def dated(self) -> bool: ...
    def simulate(self, inversion: Optional[Literal["stehfest", "contour"]] = None) -> Any:
        """A pandas DataFrame, columns as the case's results.csv heads them, bit for bit its
        numbers; indexed by date (tz-aware, the case's zone) or by model time."""

def bands_frame(bands: dict[str, Any]) -> Any:
    """The "bands" (or "prediction") of fit as a pandas DataFrame, one column per array,
    indexed by date (UTC) for a fit on a dated case, else by time."""

def read_case(path: Union[str, os.PathLike[str]]) -> Case:
    """A Case from a case file; raises CaseError naming the file and line."""
